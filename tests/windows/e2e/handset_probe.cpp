// Drives Telvoxa's Windows program from outside, as a user would, for the
// end-to-end run under Wine (tests/windows/e2e/run-e2e): finds the handset
// window, reads its four text areas, presses its skin buttons and keys, opens
// its context menu and chooses a command, and fills in its dialogs. Each
// condition is polled with a time limit. Steps are separated by ";":
//
//   handset_probe [--skin FILE.ini] STEP [; STEP]...
//
// Texts are printed as UTF-8, one per line. Exit status 0 when every step
// succeeded, 1 at the first that did not (the reason on stderr), 2 for a
// step that cannot be understood.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ProbeWindows.h"
#include "RemoteListView.h"
#include "app/SkinFile.h"
#include "handset/MenuCommands.h"
#include "handset/SkinDefinition.h"

namespace {

using probe::Utf8;
using probe::Wide;
using Args = std::vector<std::wstring>;

constexpr int kTextIds[] = {1004, 1005, 1008, 1019};
constexpr int kMenuOpenMs = 5000;

struct Failure {
    std::string why;
};

struct Usage {
    std::string why;
};

void Print(const std::wstring& line) {
    std::string out = Utf8(line) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

int Number(const std::wstring& text) {
    wchar_t* end = nullptr;
    long value = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0') throw Usage{"not a number: " + Utf8(text)};
    return static_cast<int>(value);
}

class Probe {
public:
    explicit Probe(std::optional<SkinDefinition> skin) : m_skin(std::move(skin)) {}

    void Run(const std::wstring& name, const Args& a);

private:
    using Step = void (Probe::*)(const Args&);
    struct StepKind {
        size_t args;
        Step step;
    };

    HWND Handset();
    HWND Dialog(const std::wstring& dialogName);
    HWND Control(const std::wstring& dialogName, const std::wstring& id);
    SkinRect SkinElement(const std::wstring& key);
    void PostClick(int x, int y, bool twice);

    void WaitWindow(const Args& a);
    void WaitGone(const Args& a);
    void Texts(const Args&);
    void WaitText(const Args& a);
    void WaitTextGone(const Args& a);
    void Button(const Args& a);
    void DoubleButton(const Args& a);
    void Click(const Args& a);
    void Key(const Args& a);
    void Chars(const Args& a);
    void Menu(const Args& a);
    void Command(const Args& a);
    void WaitDialog(const Args& a);
    void WaitNoDialog(const Args& a);
    void GetText(const Args& a);
    void SetText(const Args& a);
    void Press(const Args& a);
    void Combo(const Args& a);
    void ComboText(const Args& a);
    void Close(const Args& a);
    void Check(const Args& a);
    void List(const Args& a);
    void ListChoose(const Args& a);
    void AnswerMessage(const Args& a);
    void WaitMinimised(const Args& a);
    void WaitShown(const Args& a);
    void Rect(const Args&);

    const std::map<std::wstring, StepKind> m_steps = {
        {L"wait-window", {1, &Probe::WaitWindow}},
        {L"wait-gone", {1, &Probe::WaitGone}},
        {L"texts", {0, &Probe::Texts}},
        {L"wait-text", {3, &Probe::WaitText}},
        {L"wait-text-gone", {3, &Probe::WaitTextGone}},
        {L"button", {1, &Probe::Button}},
        {L"double", {1, &Probe::DoubleButton}},
        {L"click", {2, &Probe::Click}},
        {L"key", {1, &Probe::Key}},
        {L"chars", {1, &Probe::Chars}},
        {L"menu", {1, &Probe::Menu}},
        {L"command", {1, &Probe::Command}},
        {L"wait-dialog", {2, &Probe::WaitDialog}},
        {L"wait-no-dialog", {2, &Probe::WaitNoDialog}},
        {L"get-text", {2, &Probe::GetText}},
        {L"set-text", {3, &Probe::SetText}},
        {L"press", {2, &Probe::Press}},
        {L"combo", {3, &Probe::Combo}},
        {L"combo-text", {2, &Probe::ComboText}},
        {L"close", {1, &Probe::Close}},
        {L"check", {3, &Probe::Check}},
        {L"list", {2, &Probe::List}},
        {L"list-choose", {3, &Probe::ListChoose}},
        {L"answer-message", {2, &Probe::AnswerMessage}},
        {L"wait-minimised", {1, &Probe::WaitMinimised}},
        {L"wait-shown", {1, &Probe::WaitShown}},
        {L"rect", {0, &Probe::Rect}},
    };

    std::optional<SkinDefinition> m_skin;
};

void Probe::Run(const std::wstring& name, const Args& a) {
    auto found = m_steps.find(name);
    if (found == m_steps.end()) throw Usage{"unknown step " + Utf8(name)};
    if (a.size() != found->second.args)
        throw Usage{Utf8(name) + " takes " + std::to_string(found->second.args) + " arguments"};
    (this->*found->second.step)(a);
}

HWND Probe::Handset() {
    HWND window = probe::FindHandset();
    if (window == nullptr) throw Failure{"no window \"Telvoxa\""};
    return window;
}

HWND Probe::Dialog(const std::wstring& dialogName) {
    HWND dialog = probe::FindDialog(dialogName, probe::ProcessOf(Handset()));
    if (dialog == nullptr) throw Failure{"no dialog " + Utf8(dialogName)};
    return dialog;
}

HWND Probe::Control(const std::wstring& dialogName, const std::wstring& id) {
    HWND control = GetDlgItem(Dialog(dialogName), Number(id));
    if (control == nullptr)
        throw Failure{"dialog " + Utf8(dialogName) + " has no control " + Utf8(id)};
    return control;
}

// A rectangle of the skin, read as the program reads it.
SkinRect Probe::SkinElement(const std::wstring& key) {
    if (!m_skin) throw Usage{"needs --skin"};
    for (int i = 0; i < SKIN_ELEMENT_COUNT; ++i) {
        if (Wide(SkinKeyTable[i]) == key) return m_skin->elements[i];
    }
    throw Usage{"no skin element " + Utf8(key)};
}

// A left click at a client point, as the mouse sends it; `twice` adds the
// double-click that a fast second press becomes.
void Probe::PostClick(int x, int y, bool twice) {
    HWND window = Handset();
    LPARAM at = MAKELPARAM(x, y);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(window, WM_LBUTTONUP, 0, at);
    }
}

void Probe::WaitWindow(const Args& a) {
    if (!probe::WaitFor(Number(a[0]), [] {
            HWND window = probe::FindHandset();
            return window != nullptr && IsWindowVisible(window);
        }))
        throw Failure{"the window \"Telvoxa\" did not show"};
}

void Probe::WaitGone(const Args& a) {
    if (!probe::WaitFor(Number(a[0]), [] { return probe::FindHandset() == nullptr; }))
        throw Failure{"the window \"Telvoxa\" is still there"};
}

void Probe::Texts(const Args&) {
    HWND window = Handset();
    for (int id : kTextIds) {
        std::wstring text;
        probe::ReadText(GetDlgItem(window, id), text);
        Print(std::to_wstring(id) + L"\t" + text);
    }
}

void Probe::WaitText(const Args& a) {
    HWND control = GetDlgItem(Handset(), Number(a[0]));
    if (control == nullptr) throw Failure{"the window has no control " + Utf8(a[0])};
    std::wstring text;
    if (!probe::WaitFor(Number(a[2]), [&] {
            return probe::ReadText(control, text) && text.find(a[1]) != std::wstring::npos;
        }))
        throw Failure{"control " + Utf8(a[0]) + " shows \"" + Utf8(text) + "\", not \"" +
                      Utf8(a[1]) + "\""};
    Print(text);
}

void Probe::WaitTextGone(const Args& a) {
    HWND control = GetDlgItem(Handset(), Number(a[0]));
    if (control == nullptr) throw Failure{"the window has no control " + Utf8(a[0])};
    std::wstring text;
    if (!probe::WaitFor(Number(a[2]), [&] {
            return probe::ReadText(control, text) && text.find(a[1]) == std::wstring::npos;
        }))
        throw Failure{"control " + Utf8(a[0]) + " still shows \"" + Utf8(text) + "\""};
    Print(text);
}

void Probe::Button(const Args& a) {
    SkinRect r = SkinElement(a[0]);
    PostClick((r.left + r.right) / 2, (r.top + r.bottom) / 2, false);
}

void Probe::DoubleButton(const Args& a) {
    SkinRect r = SkinElement(a[0]);
    PostClick((r.left + r.right) / 2, (r.top + r.bottom) / 2, true);
}

void Probe::Click(const Args& a) {
    PostClick(Number(a[0]), Number(a[1]), false);
}

void Probe::Key(const Args& a) {
    static const std::map<std::wstring, WPARAM> keys = {
        {L"HOME", VK_HOME}, {L"END", VK_END}, {L"ESCAPE", VK_ESCAPE}, {L"DELETE", VK_DELETE},
        {L"BACK", VK_BACK}, {L"F12", VK_F12}, {L"RETURN", VK_RETURN},
    };
    auto key = keys.find(a[0]);
    if (key == keys.end()) throw Usage{"unknown key " + Utf8(a[0])};
    HWND window = Handset();
    UINT scan = MapVirtualKeyW(static_cast<UINT>(key->second), MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, key->second, 1 | (scan << 16));
    PostMessageW(window, WM_KEYUP, key->second, 1 | (scan << 16) | 0xC0000000u);
}

void Probe::Chars(const Args& a) {
    HWND window = Handset();
    for (wchar_t c : a[0]) PostMessageW(window, WM_CHAR, c, 1);
}

// Right click on the skin's picture (no button there), then the command's
// item chosen with the keyboard: down once per item before it, then Enter.
// Wine keeps a menu's items to the process that made it, so the order comes
// from the program's own menu table.
void Probe::Menu(const Args& a) {
    int wanted = Number(a[0]);
    int downs = 0;
    bool found = false;
    for (const MenuItem& item : MenuItems(IDR_SKIN_MENU)) {
        if (item.id == 0) continue;
        ++downs;
        if (item.id == wanted) {
            found = true;
            break;
        }
    }
    if (!found) throw Usage{"menu 134 has no command " + Utf8(a[0])};
    HWND window = Handset();
    SkinRect picture = SkinElement(L"PICTURE");
    LPARAM at = MAKELPARAM((picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2);
    PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageW(window, WM_RBUTTONUP, 0, at);
    DWORD pid = probe::ProcessOf(window);
    HWND menu = nullptr;
    if (!probe::WaitFor(kMenuOpenMs, [&] { return (menu = probe::FindPopupMenu(pid)) != nullptr; }))
        throw Failure{"the context menu did not open"};
    for (int i = 0; i < downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
    if (!probe::WaitFor(kMenuOpenMs, [&] { return probe::FindPopupMenu(pid) == nullptr; }))
        throw Failure{"the context menu did not close"};
}

void Probe::Command(const Args& a) {
    PostMessageW(Handset(), WM_COMMAND, MAKEWPARAM(Number(a[0]), 0), 0);
}

void Probe::WaitDialog(const Args& a) {
    DWORD pid = probe::ProcessOf(Handset());
    HWND dialog = nullptr;
    if (!probe::WaitFor(Number(a[1]),
                        [&] { return (dialog = probe::FindDialog(a[0], pid)) != nullptr; }))
        throw Failure{"no dialog " + Utf8(a[0]) + " opened"};
    std::wstring title;
    probe::ReadText(dialog, title);
    Print(title);
}

void Probe::WaitNoDialog(const Args& a) {
    DWORD pid = probe::ProcessOf(Handset());
    if (!probe::WaitFor(Number(a[1]), [&] { return probe::FindDialog(a[0], pid) == nullptr; }))
        throw Failure{"the dialog " + Utf8(a[0]) + " stayed open"};
}

void Probe::GetText(const Args& a) {
    std::wstring text;
    if (!probe::ReadText(Control(a[0], a[1]), text)) throw Failure{"the control does not answer"};
    Print(text);
}

// WM_SETTEXT: the edit control tells its dialog of the change as typing does.
void Probe::SetText(const Args& a) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(Control(a[0], a[1]), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(a[2].c_str()), SMTO_ABORTIFHUNG, 5000,
                             &result))
        throw Failure{"the control does not answer"};
}

// Posted, so that a message box the click opens does not hold the probe.
void Probe::Press(const Args& a) {
    PostMessageW(Control(a[0], a[1]), BM_CLICK, 0, 0);
}

// The first item that begins with the text (as typing it in the list would).
void Probe::Combo(const Args& a) {
    HWND combo = Control(a[0], a[1]);
    DWORD_PTR index = 0;
    if (!SendMessageTimeoutW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(a[2].c_str()), SMTO_ABORTIFHUNG, 5000,
                             &index) ||
        static_cast<int>(index) < 0)
        throw Failure{"the list has no item " + Utf8(a[2])};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(combo, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, &result);
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void Probe::Close(const Args& a) {
    PostMessageW(Dialog(a[0]), WM_CLOSE, 0, 0);
}

void Probe::ComboText(const Args& a) {
    HWND combo = Control(a[0], a[1]);
    DWORD_PTR index = 0, length = 0;
    SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &index);
    if (static_cast<int>(index) < 0) throw Failure{"nothing is chosen in the list"};
    SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, index, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::vector<wchar_t> text(length + 1);
    SendMessageTimeoutW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &length);
    Print(std::wstring(text.data(), length));
}

// A check box that toggles itself: clicked when it is not as wanted.
void Probe::Check(const Args& a) {
    HWND box = Control(a[0], a[1]);
    DWORD_PTR state = 0;
    SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    if ((state == BST_CHECKED) != (Number(a[2]) != 0)) PostMessageW(box, BM_CLICK, 0, 0);
}

void Probe::List(const Args& a) {
    probe::RemoteListView list(Control(a[0], a[1]));
    if (!list.Ready()) throw Failure{list.Problem()};
    for (const std::wstring& row : list.Rows()) Print(row);
}

void Probe::ListChoose(const Args& a) {
    probe::RemoteListView list(Control(a[0], a[1]));
    if (!list.Ready()) throw Failure{list.Problem()};
    std::vector<std::wstring> rows = list.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].find(a[2]) == std::wstring::npos) continue;
        if (!list.Select(static_cast<int>(i))) throw Failure{"the row could not be selected"};
        Print(rows[i]);
        return;
    }
    throw Failure{"no row holds \"" + Utf8(a[2]) + "\" (" + std::to_string(rows.size()) + " rows)"};
}

// A message box of any process (a second start has its own): its text
// printed, then closed with OK.
void Probe::AnswerMessage(const Args& a) {
    HWND box = nullptr;
    if (!probe::WaitFor(Number(a[1]),
                        [&] { return (box = probe::FindMessageBox(a[0])) != nullptr; }))
        throw Failure{"no message \"" + Utf8(a[0]) + "\""};
    std::wstring text;
    probe::ReadText(GetDlgItem(box, 0xFFFF), text);
    Print(text);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void Probe::WaitMinimised(const Args& a) {
    HWND window = Handset();
    if (!probe::WaitFor(Number(a[0]), [&] { return IsIconic(window) != FALSE; }))
        throw Failure{"the window was not minimised"};
}

// Shown in its normal state: neither hidden nor minimised.
void Probe::WaitShown(const Args& a) {
    HWND window = Handset();
    if (!probe::WaitFor(Number(a[0]), [&] { return IsWindowVisible(window) && !IsIconic(window); }))
        throw Failure{"the window is not shown"};
}

void Probe::Rect(const Args&) {
    RECT r = {};
    GetWindowRect(Handset(), &r);
    Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
          std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
}

std::optional<SkinDefinition> ReadSkin(const std::wstring& path) {
    SkinFile file;
    if (!file.Open(Utf8(path))) throw Usage{file.Problem()};
    struct Lookup : SkinLookup {
        SkinFile& file;
        explicit Lookup(SkinFile& f) : file(f) {}
        std::string GetSkinString(const std::string& key) override {
            return file.GetSkinString(key);
        }
        int32_t GetSkinInt(const std::string& key) override { return file.GetSkinInt(key); }
        SkinRect GetSkinRect(const std::string& key) override { return file.GetSkinRect(key); }
    } lookup(file);
    return ReadSkinDefinition(lookup);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::string step = "arguments";
    try {
        int first = 1;
        std::optional<SkinDefinition> skin;
        if (argc > 2 && std::wstring(argv[1]) == L"--skin") {
            skin = ReadSkin(argv[2]);
            first = 3;
        }
        if (first >= argc) throw Usage{"no steps"};
        Probe probe(std::move(skin));
        std::vector<Args> steps(1);
        for (int i = first; i < argc; ++i) {
            if (std::wstring(argv[i]) == L";")
                steps.emplace_back();
            else
                steps.back().push_back(argv[i]);
        }
        for (const Args& words : steps) {
            if (words.empty()) throw Usage{"an empty step"};
            step = Utf8(words[0]);
            probe.Run(words[0], Args(words.begin() + 1, words.end()));
        }
    } catch (const Failure& failure) {
        std::fprintf(stderr, "handset_probe: %s: %s\n", step.c_str(), failure.why.c_str());
        return 1;
    } catch (const Usage& usage) {
        std::fprintf(stderr, "handset_probe: %s: %s\n", step.c_str(), usage.why.c_str());
        return 2;
    }
    return 0;
}
