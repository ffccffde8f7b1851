#include "app/ui/SettingsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "app/ui/HandsetApp.h"
#include "app/ui/Profile.h"
#include "app/ui/ProfileKeys.h"

namespace {

const char* const CableNames[8] = {
    "シリアルポート用メモリ編集ケーブル",
    "上記以外のメモリ編集ケーブル",
    "データ通信ケーブル１",
    "データ通信ケーブル２",
    "データ通信ケーブル３",
    "データ通信ケーブル４",
    "データ通信ケーブル５",
    "データ通信ケーブル６",
};

QString IntervalText(int milliseconds) {
    return QString::asprintf("%dms", milliseconds);
}

// A list index outside the list leaves it without a selection.
void SelectIndex(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

}  // namespace

CSettingsDlg::CSettingsDlg(QWidget* parent, bool offerQuit) : QDialog(parent) {
    setObjectName(QStringLiteral("136"));
    setWindowTitle(QStringLiteral("設定ﾀﾞｲｱﾛｸﾞ"));

    m_pPort = new QComboBox(this);
    m_pPort->setObjectName(QStringLiteral("1009"));
    for (int i = 1; i <= 8; ++i) m_pPort->addItem(QStringLiteral("COM%1").arg(i));

    m_pCable = new QComboBox(this);
    m_pCable->setObjectName(QStringLiteral("1010"));
    for (const char* name : CableNames) m_pCable->addItem(QString::fromUtf8(name));

    m_pNumDisp = new QCheckBox(QStringLiteral("発信者番号通知をする(&D)"), this);
    m_pNumDisp->setObjectName(QStringLiteral("1011"));

    m_ctlInterval = new QSlider(Qt::Horizontal, this);
    m_ctlInterval->setObjectName(QStringLiteral("1015"));
    m_ctlInterval->setTickPosition(QSlider::TicksAbove);

    m_pIntervalText = new QLabel(this);
    m_pIntervalText->setObjectName(QStringLiteral("1016"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("2"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("COMポート"), this), 0, 0);
    grid->addWidget(m_pPort, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("ケーブル種別"), this), 1, 0);
    grid->addWidget(m_pCable, 1, 1);
    grid->addWidget(m_pNumDisp, 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("モニタリング間隔(200-300msを推奨)"), this), 3, 0, 1,
                    2);
    grid->addWidget(m_ctlInterval, 4, 0);
    grid->addWidget(m_pIntervalText, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    if (offerQuit) {
        // Without a port that opens, the dialog would come back for ever.
        auto* quit = new QPushButton(QStringLiteral("終了"), this);
        quit->setObjectName(QStringLiteral("3"));
        buttons->addWidget(quit);
        connect(quit, &QPushButton::clicked, this, [this] { done(IDQUIT); });
    }
    grid->addLayout(buttons, 5, 0, 1, 2);

    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CSettingsDlg::reject);
    connect(m_ctlInterval, &QSlider::valueChanged, this, [this] {
        if (!m_bSettingSlider) OnHScroll(m_ctlInterval);
    });
}

int CSettingsDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CSettingsDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_nPort = m_pPort->currentIndex();
        m_nCable = m_pCable->currentIndex();
        m_bNumDisp = m_pNumDisp->isChecked();
        m_strInterval = m_pIntervalText->text();
    } else {
        SelectIndex(m_pPort, m_nPort);
        SelectIndex(m_pCable, m_nCable);
        m_pNumDisp->setChecked(m_bNumDisp);
        m_pIntervalText->setText(m_strInterval);
    }
}

void CSettingsDlg::OnInitDialog() {
    m_nPort = ReadProfile(ProfileKeys::Port);
    m_nCable = ReadProfile(ProfileKeys::Cable);
    m_bNumDisp = ReadProfile(ProfileKeys::NumDisp) != 0;
    m_nInterval = ReadProfile(ProfileKeys::MonitorInterval);

    // A stored interval outside the range puts the slider at its nearest end
    // but stays the value until the slider is moved.
    m_bSettingSlider = true;
    m_ctlInterval->setRange(INTERVAL_MIN, INTERVAL_MAX);
    m_ctlInterval->setTickInterval(50);
    m_ctlInterval->setValue(m_nInterval);
    m_ctlInterval->setPageStep(50);
    m_ctlInterval->setSingleStep(1);
    m_bSettingSlider = false;

    m_strInterval = IntervalText(m_nInterval);
    UpdateData(false);
}

void CSettingsDlg::OnHScroll(QObject* source) {
    UpdateData(true);
    if (source == m_ctlInterval) {
        m_nInterval = m_ctlInterval->value();
        m_strInterval = IntervalText(m_nInterval);
    }
    UpdateData(false);
}

void CSettingsDlg::OnOK() {
    UpdateData(true);
    WriteProfile(ProfileKeys::Port, m_nPort);
    WriteProfile(ProfileKeys::Cable, m_nCable);
    WriteProfile(ProfileKeys::NumDisp, m_bNumDisp ? 1 : 0);
    WriteProfile(ProfileKeys::MonitorInterval, m_nInterval);
    Profile::Sync();
    done(IDOK);
}

void CSettingsDlg::reject() {
    done(IDCANCEL);
}
