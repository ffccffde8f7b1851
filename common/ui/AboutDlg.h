#pragma once
// The version dialog: the application icon, the version text and OK.

#include <QDialog>
#include <QString>

class QLabel;

// String table entries 102 and 103.
inline constexpr char kProductName[] = "Telvoxa";
inline constexpr char kProductVersion[] = "1.06";

// "%s Ver.%s" of a product name and a version.
QString FormatVersionText(const QString& product, const QString& version);
// The version text of this program: "Telvoxa Ver.1.06".
QString VersionText();

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Shown in control 1020; set before the dialog is shown.
    QString m_strVersion;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_versionLabel = nullptr;
};
