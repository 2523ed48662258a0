// Window toolkit: what every dialog shares (background drag, icons, opening under the cursor,
// questions), the anchored layout and placement memory of the resizable dialogs, and small
// window-geometry operations.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TOOLS/toolwindrules.h"

// The property through which a dialog reaches the record it edits.
constexpr const char* PROP_DIALOGPARAM = "PROP_DIALOGPARAM";

// Common dialog handling ------------------------------------------------------------------------

// The answer to WM_NCHITTEST: the client area counts as caption, so the dialog can be dragged by
// its background. Stores the result as the dialog's message result and returns TRUE.
BOOL HitTestClientAsCaption(HWND dialog, WPARAM wParam, LPARAM lParam);

// The executable's large and small shell icons in the caption and the task-switch list.
void SetDialogIcons(HWND dialog);

// Takes the icons SetDialogIcons gave back from the dialog and destroys them (on WM_DESTROY).
void ReleaseDialogIcons(HWND dialog);

// Centres the window on the mouse cursor inside the work area of the monitor under the cursor,
// size and Z order unchanged.
void CenterWindowOnCursor(HWND window);

// A question or a refusal: MessageBeep with the box's icon bits, then the box.
int BeepMessageBox(HWND owner, const char* text, const char* caption, UINT type);
// The message box of the program's code page 932 texts, shown in UTF-16 on any system.
int MessageBoxSjis(HWND owner, const char* text, const char* caption, UINT type);

// The caption close button of an editing dialog: asks "保存しますか？"; Yes acts as OK, No as
// Cancel, Cancel keeps the dialog open.
void AskSaveOnClose(HWND dialog, const char* caption);

// Brings an open single-instance dialog forward; false when dialog is no window.
bool BringDialogForward(HWND dialog);

// A dialog that exists at most once: open from the call until its loop has ended, window while
// the dialog exists.
struct SingleDialog {
    bool open;
    HWND window;
};

// True when the dialog is open already; it is then brought forward.
bool BringForwardIfOpen(SingleDialog& single);

// The modal dialog of template resourceId with record as its parameter; marks it open meanwhile.
INT_PTR RunSingleDialog(SingleDialog& single, int resourceId, HWND owner, DLGPROC procedure,
                        void* record);

// The first steps of WM_INITDIALOG of an editing dialog: remembers the window, attaches the
// record as PROP_DIALOGPARAM, sets the icons and centres the dialog on the cursor.
void AttachDialogRecord(HWND dialog, SingleDialog& single, LPARAM record);

// WM_DESTROY: detaches the record, releases the icons and forgets the window.
void DetachDialogRecord(HWND dialog, SingleDialog& single);

// Resizable dialogs ---------------------------------------------------------------------------

// The WM_SIZE handler: moves and grows the listed controls by the change of the client size.
// Always TRUE.
BOOL ApplyAnchorLayout(HWND dialog, const AnchorRule* rules, size_t count, WPARAM sizeType,
                       int newClientWidth, int newClientHeight, LayoutState& state);

// Records the design size as the minimum and the present client size as the laid-out one; call
// in WM_INITDIALOG before the dialog is first resized.
void RecordDialogLayout(HWND dialog, LayoutState& state);

// The WM_GETMINMAXINFO answer: only the minimum tracking size is set. FALSE (default handling)
// before the minimum has been recorded.
BOOL ApplyMinimumTrackSize(const LayoutState& state, LPARAM minMaxInfo);

// Each field keeps its value unless its key in section holds a readable number.
void LoadDialogPlacement(const char* section, DialogPlacement& placement);

// Writes the dialog's normal size, maximised and topmost state into section.
void SaveDialogPlacement(HWND dialog, const char* section);

// The opening steps after the dialog filled its controls: load the placement over defaults, set
// the topmost state, resize (within the design size and the work area of the monitor under the
// cursor), centre on the cursor, maximise when remembered so.
void RestoreDialogPlacement(HWND dialog, const char* section, DialogPlacement defaults,
                            const LayoutState& state);

// Window geometry ----------------------------------------------------------------------------

SIZE GetWindowSize(HWND window);
SIZE GetClientSize(HWND window);
int GetClientWidth(HWND window);

// Top-left corner in the parent's client coordinates for a child window, else on the screen.
POINT GetWindowOrigin(HWND window);
POINT ScreenToWindowPoint(HWND window, POINT screenPoint);
WindowBox GetWindowBox(HWND window);

bool MoveWindowTo(HWND window, int x, int y);
bool MoveWindowHorizontallyBy(HWND window, int dx);
bool ResizeWindowTo(HWND window, int width, int height);
bool WidenWindowBy(HWND window, int dx);

bool SetWindowTopmost(HWND window, bool on);
bool IsWindowTopmost(HWND window);

RECT GetNormalWindowRect(HWND window);
// Every display monitor with its work area; the primary screen alone when none can be listed.
std::vector<MonitorAreas> GetMonitorAreas();
// The monitor under the point, or the nearest one.
MonitorAreas GetMonitorAt(POINT point);

// Position of SC_MAXIMIZE in menu, or -1.
int FindMaximizeItemPosition(HMENU menu);

// The LOGFONT of the font the window reports on WM_GETFONT; false when it has none.
bool GetWindowFont(HWND window, LOGFONTW& font);

// Invalidates the whole client area without erasing the background.
void RedrawWindowClient(HWND window);

// A notification header from sender with its control id and code.
NMHDR MakeNotifyHeader(HWND sender, UINT code);

// Tells the control's parent that its selection changed (LBN_SELCHANGE).
void SendSelectionChangeNotice(HWND control);

bool IsCursorInClient(HWND window);

// A copy of the window's text (empty for no text): as code page 932 bytes, and exactly.
std::string CopyWindowText(HWND window);
std::u16string CopyWindowWideText(HWND window);

// A code page 932 text into a window, through UTF-16 whatever the system's code page.
bool SetWindowTextSjis(HWND window, const char* text);
bool SetDlgItemTextSjis(HWND dialog, int id, const char* text);

void FocusDialogItem(HWND dialog, int id);

// Registers the common-control classes the dialogs and tips use (version 6 under the manifest).
bool InitDialogControls();
