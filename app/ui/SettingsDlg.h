#pragma once
// The settings dialog: COM port, cable type, caller-number notification and
// monitoring interval, read from the profile on opening and stored on OK.

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

class CSettingsDlg : public QDialog {
    Q_OBJECT

public:
    enum { IDD = 136 };
    // The end code of the "終了" button, offered when `offerQuit` is set.
    static constexpr int IDQUIT = 3;
    static constexpr int INTERVAL_MIN = 50;
    static constexpr int INTERVAL_MAX = 650;

    explicit CSettingsDlg(QWidget* parent = nullptr, bool offerQuit = false);

    // Runs the initialisation from the profile, then the dialog.
    int exec() override;

    // Moves the values between the members and the controls: true takes the
    // controls into the members, false shows the members.
    void UpdateData(bool saveAndValidate);
    void OnInitDialog();
    void OnHScroll(QObject* source);
    void OnOK();

    int m_nInterval = 0;
    int m_nCable = -1;
    int m_nPort = -1;
    bool m_bNumDisp = false;
    QString m_strInterval;

public slots:
    void reject() override;

private:
    QComboBox* m_pPort = nullptr;
    QComboBox* m_pCable = nullptr;
    QCheckBox* m_pNumDisp = nullptr;
    QSlider* m_ctlInterval = nullptr;
    QLabel* m_pIntervalText = nullptr;
    // Set while the dialog itself moves the slider.
    bool m_bSettingSlider = false;
};
