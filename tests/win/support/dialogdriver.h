// Drives a modal dialog from inside its own message loop, as a user at the keyboard would.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/appsettings.h"
#include "testenv.h"

namespace testenv {

// One step of a script: repeated every 30 ms until it returns true. A step posts its actions
// (BM_CLICK, WM_CLOSE) rather than sending them, so no step runs inside another's modal loop.
using DialogStep = std::function<bool()>;

// Runs show (which enters a modal loop) while the steps run one after another on a thread
// timer; returns show's result. Fails the test when show returned before every step ran.
INT_PTR DriveModal(const std::function<INT_PTR()>& show, std::vector<DialogStep> steps);

// A visible dialog (#32770) of this thread with that caption whose owner is not a dialog of the
// same caption, or null.
HWND FindDialog(const char* caption);

// The message box a dialog owns, or null.
HWND FindMessageBox(HWND owner);

// The texts of a window's children, joined with '|'.
std::string ChildTexts(HWND window);

// Posts a click on the dialog's button id.
void ClickButton(HWND dialog, int id);

// While it lives, answers with OK every message box that owner shows, from a thread timer (so
// also inside a handler that sent the command); text() holds the texts of the last one.
class BoxAnswerer {
public:
    explicit BoxAnswerer(HWND owner);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    const std::string& text() const;

private:
    UINT_PTR timer_;
};

// A dialog test: a private module folder, default settings, and a hidden window standing in for
// the main window (it carries the settings as PROP_APPINFO and owns the dialog).
class DialogFixture : public testing::Test {
protected:
    explicit DialogFixture(const char* caption) : caption_(caption) {}
    void SetUp() override;
    void TearDown() override;

    // A key's value as any reader of the settings file sees it; "-" when missing.
    std::string Value(const char* section, const char* key);

    // Steps: the dialog appears (kept in dialog); the message box it owns shows text (kept in
    // message) and is answered with button; no message box is left.
    DialogStep Found();
    DialogStep Answer(const char* text, int button);
    DialogStep BoxGone();

    TempModuleFolder folder;
    AppSettings settings;
    HWND owner = nullptr;
    char ini[522] = "";
    HWND dialog = nullptr;
    std::string message;

private:
    const char* caption_;
};

}  // namespace testenv
