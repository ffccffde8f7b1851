#include "winapp/SettingsDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "app/ProfileKeyTable.h"
#include "handset/SettingsSummary.h"
#include "platform/win32/ComPorts.h"
#include "winapp/Resource.h"
#include "winapp/WinText.h"

namespace {

constexpr int kCableCount = 8;

struct SettingsDialog {
    ProfileStore& profile;
    ConnectionSettings values;
    // COM1..COM9 in list order, each with why it would not open now.
    std::vector<SerialPortEntry> ports;
};

void ShowPortStatus(HWND dialog, const SettingsDialog& state) {
    const int port = int(SendDlgItemMessageW(dialog, IDC_PORT, CB_GETCURSEL, 0, 0));
    std::wstring text;
    if (port >= 0 && port < int(state.ports.size()))
        text = WideFromUtf8(PortStatusText(state.ports[size_t(port)]));
    SetDlgItemTextW(dialog, IDC_PORT_STATUS, text.c_str());
}

void ShowInterval(HWND dialog, int milliseconds) {
    SetDlgItemTextW(dialog, IDC_INTERVAL_TEXT, IntervalLabel(milliseconds).c_str());
}

// The controls into the values (the slider only when it moved).
void TakeControls(HWND dialog, ConnectionSettings& values) {
    values.port = int(SendDlgItemMessageW(dialog, IDC_PORT, CB_GETCURSEL, 0, 0));
    values.cable = int(SendDlgItemMessageW(dialog, IDC_CABLE, CB_GETCURSEL, 0, 0));
    values.numdisp = IsDlgButtonChecked(dialog, IDC_NUMDISP) == BST_CHECKED ? 1 : 0;
}

void OnInit(HWND dialog, SettingsDialog& state) {
    ConnectionSettings& v = state.values;
    v.port = ReadProfile(state.profile, ProfileKeys::Port);
    v.cable = ReadProfile(state.profile, ProfileKeys::Cable);
    v.numdisp = ReadProfile(state.profile, ProfileKeys::NumDisp);
    v.interval = ReadProfile(state.profile, ProfileKeys::MonitorInterval);

    // The ports the profile can name, with the device the system lists for
    // each. Only these are opened to learn their state: a port the system
    // lists beyond them may be any device of the machine.
    std::vector<ListedComPort> listed;
    for (const ListedComPort& found : RegistryComPorts()) {
        if (PortIndex(found.name) >= 0) listed.push_back(found);
    }
    state.ports = MergeComPorts(listed, ComPortOpenProblem);
    state.ports.resize(std::min<size_t>(state.ports.size(), kPortCount));
    HWND port = GetDlgItem(dialog, IDC_PORT);
    for (const SerialPortEntry& entry : state.ports) {
        const std::wstring name = WideFromUtf8(entry.label);
        SendMessageW(port, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(port, CB_SETCURSEL, WPARAM(ListSelection(v.port, kPortCount)), 0);
    ShowPortStatus(dialog, state);
    HWND cable = GetDlgItem(dialog, IDC_CABLE);
    for (int i = 0; i < kCableCount; ++i) {
        const std::wstring name = WideFromUtf8(CableName(i));
        SendMessageW(cable, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(cable, CB_SETCURSEL, WPARAM(ListSelection(v.cable, kCableCount)), 0);
    CheckDlgButton(dialog, IDC_NUMDISP, v.numdisp ? BST_CHECKED : BST_UNCHECKED);

    HWND slider = GetDlgItem(dialog, IDC_INTERVAL);
    SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(kIntervalMin, kIntervalMax));
    SendMessageW(slider, TBM_SETTICFREQ, 50, 0);
    SendMessageW(slider, TBM_SETPAGESIZE, 0, 50);
    SendMessageW(slider, TBM_SETPOS, TRUE, SliderPosition(v.interval));
    // The stored value stays until the slider moves, also one out of range.
    ShowInterval(dialog, v.interval);
}

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            OnInit(dialog, *reinterpret_cast<SettingsDialog*>(lParam));
            return TRUE;
        case WM_HSCROLL:
            // Any movement takes all controls, as the data exchange would.
            TakeControls(dialog, state->values);
            if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_INTERVAL)) {
                state->values.interval =
                    int(SendDlgItemMessageW(dialog, IDC_INTERVAL, TBM_GETPOS, 0, 0));
                ShowInterval(dialog, state->values.interval);
            }
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    ConnectionSettings& v = state->values;
                    TakeControls(dialog, v);
                    WriteProfile(state->profile, ProfileKeys::Port, v.port);
                    WriteProfile(state->profile, ProfileKeys::Cable, v.cable);
                    WriteProfile(state->profile, ProfileKeys::NumDisp, v.numdisp);
                    WriteProfile(state->profile, ProfileKeys::MonitorInterval, v.interval);
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDC_PORT:
                    if (HIWORD(wParam) == CBN_SELCHANGE) ShowPortStatus(dialog, *state);
                    return TRUE;
                case IDCANCEL:
                case IDC_SETTINGS_QUIT:
                    EndDialog(dialog, LOWORD(wParam));
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

std::wstring IntervalLabel(int milliseconds) {
    return std::to_wstring(milliseconds) + L"ms";
}

int SliderPosition(int milliseconds) {
    return std::clamp(milliseconds, kIntervalMin, kIntervalMax);
}

int PortIndex(const std::string& name) {
    if (name.size() != 4) return -1;
    for (size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return -1;
    }
    const char digit = name[3];
    return digit >= '1' && digit <= '9' ? digit - '1' : -1;
}

std::string PortStatusText(const SerialPortEntry& port) {
    return port.problem.empty() ? "opens now" : port.problem;
}

int ListSelection(int stored, int count) {
    return stored >= 0 && stored < count ? stored : -1;
}

std::optional<ConnectionSettings> RunSettingsDlg(HWND owner, ProfileStore& profile) {
    SettingsDialog state{profile, {}, {}};
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), owner,
                        SettingsProc, reinterpret_cast<LPARAM>(&state));
    if (result == IDC_SETTINGS_QUIT || result == -1) return std::nullopt;
    return state.values;
}
