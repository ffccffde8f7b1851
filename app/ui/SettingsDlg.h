#pragma once
// The settings dialog: COM port and the device behind it, cable type,
// caller-number notification and monitoring interval, read from the profile
// on opening and stored on OK.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "app/ui/LinkProfile.h"
#include "platform/DeviceCheck.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QTimer;

class CSettingsDlg : public QDialog {
    Q_OBJECT

public:
    enum { IDD = 136 };
    // The end code of the "終了" button, offered when `offerQuit` is set.
    static constexpr int IDQUIT = 3;
    static constexpr int INTERVAL_MIN = kMonitorIntervalMin;
    static constexpr int INTERVAL_MAX = kMonitorIntervalMax;

    explicit CSettingsDlg(QWidget* parent = nullptr, bool offerQuit = false);

    // Runs the initialisation from the profile, then the dialog.
    int exec() override;

    // Moves the values between the members and the controls: true takes the
    // controls into the members, false shows the members.
    void UpdateData(bool saveAndValidate);
    void OnInitDialog();
    void OnHScroll(QObject* source);
    void OnOK();

    // The device path the device field stands for: a listed entry's path,
    // else the text as typed, a leading "~" standing for the home folder.
    QString ChosenDevice() const;
    // A line above the controls that says what to do (none when empty); the
    // profile's values that were out of range are said below it.
    void SetHint(const QString& hint);

    // How long the device field stays still before its device is checked.
    static constexpr int DEVICE_CHECK_DELAY_MS = 300;
    // Checks a device for the status line; tests count the checks.
    std::function<DeviceCheck(const std::string& path)> m_checkDevice =
        [](const std::string& path) { return CheckSerialDevice(path); };

    int m_nInterval = 0;
    int m_nCable = -1;
    int m_nPort = -1;
    bool m_bNumDisp = false;
    QString m_strInterval;
    // The device of each port as this dialog shows it (index 0 is COM1).
    QStringList m_devices;
    // Where the serial devices are listed from.
    QString m_strDeviceFolder;

public slots:
    void reject() override;

private:
    QComboBox* m_pPort = nullptr;
    QComboBox* m_pCable = nullptr;
    QCheckBox* m_pNumDisp = nullptr;
    QSlider* m_ctlInterval = nullptr;
    QLabel* m_pIntervalText = nullptr;
    QComboBox* m_pDevice = nullptr;
    QLabel* m_pDeviceStatus = nullptr;
    QLabel* m_pHint = nullptr;
    // Runs the device check once the field has been still a while.
    QTimer* m_pDeviceCheckTimer = nullptr;
    // Set while the dialog itself moves the slider.
    bool m_bSettingSlider = false;
    // The port whose device the device field shows (-1: none).
    int m_nShownPort = -1;

    QString m_strHint;
    QString m_strProfileProblems;

    void ShowHint();
    void ListDevices();
    // Keeps the device field's text for the port it showed, then shows
    // the device of the port now chosen.
    void ShowDeviceOfChosenPort();
    void ShowDeviceStatus();
    // Stores the chosen port's device in the profile where it changed.
    void StoreChosenDevice();
};
