#include "common/ui/AboutDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Icon 128, or the application's own icon when the resource is missing.
QIcon ApplicationIcon() {
    QIcon icon(QStringLiteral(":/icons/128.png"));
    if (icon.availableSizes().isEmpty()) icon = QApplication::windowIcon();
    return icon;
}

}  // namespace

QString FormatVersionText(const QString& product, const QString& version) {
    return QString::asprintf("%s Ver.%s", product.toUtf8().constData(),
                             version.toUtf8().constData());
}

QString VersionText() {
    return FormatVersionText(QString::fromUtf8(kProductName), QString::fromUtf8(kProductVersion));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("-1"));
    const QIcon image = ApplicationIcon();
    if (!image.isNull()) icon->setPixmap(image.pixmap(32, 32));
    icon->setFixedSize(32, 32);

    m_versionLabel = new QLabel(this);
    m_versionLabel->setObjectName(QStringLiteral("1020"));
    m_versionLabel->setTextFormat(Qt::PlainText);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addSpacing(8);
    layout->addWidget(m_versionLabel, 1, Qt::AlignVCenter);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->setContentsMargins(16, 16, 12, 16);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_versionLabel->setMinimumWidth(180);
}

void CAboutDlg::showEvent(QShowEvent* event) {
    // The data exchange: the member goes into its control as the dialog opens.
    m_versionLabel->setText(m_strVersion);
    QDialog::showEvent(event);
}
