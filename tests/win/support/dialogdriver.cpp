// Driving modal dialogs from a thread timer inside their message loops.
#include "dialogdriver.h"

#include "app/appshell.h"
#include "settings/settingsfile.h"
#include "TOOLS/toolsys.h"

namespace testenv {

namespace {

// A step that has not succeeded within this time fails the test and the dialogs are ended, so
// a broken dialog never hangs the suite.
constexpr DWORD kStepTimeoutMs = 20000;

std::vector<DialogStep> g_steps;
size_t g_next = 0;
bool g_inStep = false;
bool g_abandoned = false;
DWORD g_stepStart = 0;

BOOL CALLBACK EndEveryDialog(HWND window, LPARAM) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770") EndDialog(window, IDCANCEL);
    return TRUE;
}

void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_abandoned) {
        EnumThreadWindows(GetCurrentThreadId(), EndEveryDialog, 0);
        return;
    }
    if (g_inStep || g_next >= g_steps.size()) return;
    if (GetTickCount() - g_stepStart > kStepTimeoutMs) {
        ADD_FAILURE() << "step " << g_next << " did not come to pass";
        g_abandoned = true;
        return;
    }
    g_inStep = true;
    if (g_steps[g_next]()) {
        ++g_next;
        g_stepStart = GetTickCount();
    }
    g_inStep = false;
}

struct Search {
    const char* caption;
    HWND owner;
    HWND found;
};

bool IsDialog(HWND window) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    return std::string(cls) == "#32770" && IsWindowVisible(window);
}

BOOL CALLBACK FindByCaption(HWND window, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    HWND owner = GetWindow(window, GW_OWNER);
    if (IsDialog(window) && std::string(text) == s->caption && !(owner && IsDialog(owner))) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindByOwner(HWND window, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    if (IsDialog(window) && GetWindow(window, GW_OWNER) == s->owner) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK JoinText(HWND child, LPARAM param) {
    std::string* all = reinterpret_cast<std::string*>(param);
    char text[1024] = "";
    GetWindowTextA(child, text, sizeof text);
    if (!all->empty()) *all += '|';
    *all += text;
    return TRUE;
}

}  // namespace

INT_PTR DriveModal(const std::function<INT_PTR()>& show, std::vector<DialogStep> steps) {
    g_steps = std::move(steps);
    g_next = 0;
    g_abandoned = false;
    g_stepStart = GetTickCount();
    UINT_PTR timer = SetTimer(nullptr, 0, 30, StepTimer);
    INT_PTR result = show();
    KillTimer(nullptr, timer);
    if (!g_abandoned) {
        EXPECT_EQ(g_next, g_steps.size()) << "the dialog ended before step " << g_next;
    }
    g_steps.clear();
    return result;
}

HWND FindDialog(const char* caption) {
    Search s = {caption, nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindByCaption, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindMessageBox(HWND owner) {
    Search s = {nullptr, owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindByOwner, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string ChildTexts(HWND window) {
    std::string all;
    EnumChildWindows(window, JoinText, reinterpret_cast<LPARAM>(&all));
    return all;
}

namespace {

HWND g_boxOwner = nullptr;
std::string g_boxText;

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindMessageBox(g_boxOwner);
    if (!box) return;
    g_boxText = ChildTexts(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

BoxAnswerer::BoxAnswerer(HWND owner) {
    g_boxOwner = owner;
    g_boxText.clear();
    timer_ = SetTimer(nullptr, 0, 50, AnswerBox);
}

BoxAnswerer::~BoxAnswerer() {
    KillTimer(nullptr, timer_);
}

const std::string& BoxAnswerer::text() const {
    return g_boxText;
}

void ClickButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void DialogFixture::SetUp() {
    SetDefaultSettings(settings);
    SetDefaultHotkeys(settings.hotkeys);
    owner = CreateWindowExA(0, "STATIC", "owner", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                            nullptr);
    ASSERT_TRUE(owner);
    SetPropA(owner, PROP_APPINFO, &settings);
    ASSERT_TRUE(testenv::BuildModuleSiblingPath(ini, sizeof ini, ".ini"));
}

void DialogFixture::TearDown() {
    RemovePropA(owner, PROP_APPINFO);
    DestroyWindow(owner);
}

std::string DialogFixture::Value(const char* section, const char* key) {
    char text[1100];
    GetPrivateProfileStringA(section, key, "-", text, sizeof text, ini);
    return text;
}

DialogStep DialogFixture::Found() {
    return [this] { return (dialog = FindDialog(caption_)) != nullptr; };
}

DialogStep DialogFixture::Answer(const char* text, int button) {
    // Matched by its text: the next box may open while the last one closes.
    return [this, text, button] {
        HWND box = FindMessageBox(dialog);
        if (!box) return false;
        message = ChildTexts(box);
        if (message.find(text) == std::string::npos) return false;
        PostMessageA(box, WM_COMMAND, button, 0);
        return true;
    };
}

DialogStep DialogFixture::BoxGone() {
    return [this] { return FindMessageBox(dialog) == nullptr; };
}

}  // namespace testenv
