#include "common/ui/SettingsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <iterator>

#include "app/HandsetStart.h"
#include "common/ui/AddedTexts.h"
#include "common/ui/DeviceCheckTexts.h"
#include "common/ui/LinkProfile.h"
#include "common/ui/Profile.h"
#include "common/ui/ProfileKeys.h"
#include "common/ui/ProfilePorts.h"
#include "platform/DeviceCheck.h"
#include "platform/posix/SerialDevices.h"
#include "platform/posix/SimulatedPhones.h"

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

constexpr int kPortCount = kProfilePortCount;

std::string PortName(int index) {
    return "COM" + std::to_string(index + 1);
}

std::string NativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString DisplayPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The path as the user types it, with the home folder as "~" (which the
// field takes back, see ChosenDevice).
QString HomeShortened(const QString& path) {
    const QString home = QDir::homePath();
    if (home.isEmpty() || home == QStringLiteral("/")) return path;
    if (path == home) return QStringLiteral("~");
    if (path.startsWith(home + '/')) return QStringLiteral("~") + path.mid(home.size());
    return path;
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

    // The device behind the chosen port: one of those present, or any path
    // typed by hand.
    m_pDevice = new QComboBox(this);
    m_pDevice->setObjectName(QStringLiteral("1017"));
    m_pDevice->setEditable(true);
    m_pDevice->setInsertPolicy(QComboBox::NoInsert);
    m_pDevice->setMinimumContentsLength(24);
    m_pDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pDeviceStatus = new QLabel(this);
    m_pDeviceStatus->setObjectName(QStringLiteral("1018"));
    m_pDeviceStatus->setWordWrap(true);
    m_pDeviceCheckTimer = new QTimer(this);
    m_pDeviceCheckTimer->setObjectName(QStringLiteral("deviceCheck"));
    m_pDeviceCheckTimer->setSingleShot(true);
    m_pDeviceCheckTimer->setInterval(DEVICE_CHECK_DELAY_MS);
    connect(m_pDeviceCheckTimer, &QTimer::timeout, this, [this] { ShowDeviceStatus(); });
    m_pHint = new QLabel(this);
    m_pHint->setObjectName(QStringLiteral("1019"));
    m_pHint->setWordWrap(true);
    m_pHint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pHint->hide();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("2"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_pHint, 0, 0, 1, 2);
    // Each caption names its field; the device's status is its description.
    const auto caption = [this](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        field->setAccessibleName(text);
        return label;
    };
    grid->addWidget(caption(QStringLiteral("COMポート"), m_pPort), 1, 0);
    grid->addWidget(m_pPort, 1, 1);
    grid->addWidget(caption(QStringLiteral("デバイス"), m_pDevice), 2, 0);
    grid->addWidget(m_pDevice, 2, 1);
    grid->addWidget(m_pDeviceStatus, 3, 1);
    grid->addWidget(caption(QStringLiteral("ケーブル種別"), m_pCable), 4, 0);
    grid->addWidget(m_pCable, 4, 1);
    grid->addWidget(m_pNumDisp, 5, 0, 1, 2);
    grid->addWidget(caption(QStringLiteral("モニタリング間隔(200-300msを推奨)"), m_ctlInterval), 6,
                    0, 1, 2);
    grid->addWidget(m_ctlInterval, 7, 0);
    grid->addWidget(m_pIntervalText, 7, 1);
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
    grid->addLayout(buttons, 8, 0, 1, 2);
    // Tab goes down the fields as they are drawn.
    QWidget* const order[] = {m_pPort, m_pDevice, m_pCable, m_pNumDisp, m_ctlInterval, ok, cancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    // The dialog keeps the size of its contents: a tiling compositor then
    // floats it instead of stretching the slider across its tile.
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CSettingsDlg::reject);
    // Every scroll notification counts, not only a changed value: a click on
    // the thumb or End at the end also takes the controls in.
    auto scrolled = [this] {
        if (!m_bSettingSlider) OnHScroll(m_ctlInterval);
    };
    connect(m_ctlInterval, &QSlider::valueChanged, this, scrolled);
    connect(m_ctlInterval, &QSlider::actionTriggered, this, scrolled);
    connect(m_ctlInterval, &QSlider::sliderReleased, this, scrolled);

    connect(m_pPort, &QComboBox::currentIndexChanged, this, [this] { ShowDeviceOfChosenPort(); });
    // A listed entry is shown by its label but stands for its path.
    connect(m_pDevice, &QComboBox::activated, this, [this](int index) {
        m_pDevice->setEditText(HomeShortened(m_pDevice->itemData(index).toString()));
    });
    // Typing checks nothing on its way ("/dev/ttyUSB1" on the way to
    // "/dev/ttyUSB10"): the check waits until the field is still.
    connect(m_pDevice, &QComboBox::editTextChanged, m_pDeviceCheckTimer,
            qOverload<>(&QTimer::start));
    m_strDeviceFolder = DisplayPath(SerialDeviceFolder());
}

int CSettingsDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CSettingsDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_nPort = m_pPort->currentIndex();
        if (m_nShownPort >= 0) m_devices[m_nShownPort] = ChosenDevice();
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
    // Values out of range are shown as their defaults, and said.
    const LinkProfile link = ReadLinkProfile();
    m_nPort = link.port;
    m_nCable = link.cable;
    m_bNumDisp = ReadProfile(ProfileKeys::NumDisp) != 0;
    m_nInterval = link.interval;
    m_strProfileProblems = link.problems.join('\n');
    ShowHint();

    m_bSettingSlider = true;
    m_ctlInterval->setRange(INTERVAL_MIN, INTERVAL_MAX);
    m_ctlInterval->setTickInterval(50);
    m_ctlInterval->setValue(m_nInterval);
    m_ctlInterval->setPageStep(50);
    m_ctlInterval->setSingleStep(1);
    m_bSettingSlider = false;

    m_strInterval = IntervalText(m_nInterval);
    m_devices.clear();
    for (int i = 0; i < kPortCount; ++i) m_devices << DisplayPath(ProfilePortPath(PortName(i)));
    ListDevices();
    m_nShownPort = -1;
    UpdateData(false);
    ShowDeviceOfChosenPort();
}

void CSettingsDlg::ListDevices() {
    m_pDevice->blockSignals(true);
    m_pDevice->clear();
    for (const SerialDeviceEntry& entry : ListSerialDevices(NativePath(m_strDeviceFolder))) {
        m_pDevice->addItem(DisplayPath(entry.label), DisplayPath(entry.path));
    }
    for (const SimulatedPhone& phone : ListSimulatedPhones(RuntimeFolder())) {
        const QString link = DisplayPath(phone.link);
        m_pDevice->addItem(AddedText(QT_TRANSLATE_NOOP("Telvoxa", "simulated phone (%1)"))
                               .arg(HomeShortened(link)),
                           link);
    }
    m_pDevice->setCurrentIndex(-1);
    m_pDevice->blockSignals(false);
}

QString CSettingsDlg::ChosenDevice() const {
    const QString text = m_pDevice->currentText();
    const int listed = m_pDevice->findText(text, Qt::MatchExactly);
    const QString path = (listed >= 0 ? m_pDevice->itemData(listed).toString() : text).trimmed();
    if (path == QStringLiteral("~") || path.startsWith(QStringLiteral("~/"))) {
        return QDir::homePath() + path.mid(1);
    }
    return path;
}

void CSettingsDlg::SetHint(const QString& hint) {
    m_strHint = hint;
    ShowHint();
}

void CSettingsDlg::ShowHint() {
    QStringList lines;
    if (!m_strHint.isEmpty()) lines << m_strHint;
    if (!m_strProfileProblems.isEmpty()) lines << m_strProfileProblems;
    m_pHint->setText(lines.join('\n'));
    m_pHint->setVisible(!lines.isEmpty());
}

void CSettingsDlg::ShowDeviceOfChosenPort() {
    const int port = m_pPort->currentIndex();
    if (port == m_nShownPort) return;
    if (m_nShownPort >= 0 && m_nShownPort < m_devices.size()) {
        m_devices[m_nShownPort] = ChosenDevice();
    }
    m_nShownPort = port >= 0 && port < m_devices.size() ? port : -1;
    m_pDevice->setEnabled(m_nShownPort >= 0);
    m_pDevice->setEditText(m_nShownPort >= 0 ? m_devices[m_nShownPort] : QString());
    ShowDeviceStatus();
}

void CSettingsDlg::ShowDeviceStatus() {
    m_pDeviceCheckTimer->stop();
    if (m_nShownPort < 0) {
        m_pDeviceStatus->clear();
        m_pDevice->setAccessibleDescription(QString());
        return;
    }
    // An empty field leaves the port's device as the profile has it.
    QString path = ChosenDevice();
    if (path.isEmpty()) path = DisplayPath(ProfilePortPath(PortName(m_nShownPort)));
    const QString status = DeviceCheckText(m_checkDevice(NativePath(path)));
    m_pDeviceStatus->setText(status);
    // Readers hear the change as the field's description changing.
    m_pDevice->setAccessibleDescription(status);
}

void CSettingsDlg::StoreChosenDevice() {
    if (m_nPort < 0 || m_nPort >= m_devices.size()) return;
    const std::string name = PortName(m_nPort);
    const std::string chosen = NativePath(m_devices[m_nPort]);
    // An untouched device leaves the profile as it was.
    if (chosen == ProfilePortPath(name) || chosen.empty()) return;
    StoreProfilePortPath(name, chosen);
}

void CSettingsDlg::OnHScroll(QObject* source) {
    UpdateData(true);
    if (source == m_ctlInterval) {
        // During an action the position is already the new one, the value
        // not yet.
        m_nInterval = m_ctlInterval->sliderPosition();
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
    StoreChosenDevice();
    Profile::Sync();
    done(IDOK);
}

void CSettingsDlg::reject() {
    done(IDCANCEL);
}
