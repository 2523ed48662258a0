// The shared folder's exchange: read every file of the subfolder, merge, write this machine's
// own file crash-safe, and bring the merged registered texts into the store and its files.
#include "sync/sharedfolder.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <exception>
#include <map>
#include <memory>

#include "app/appshell.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "store/exactfile.h"
#include "sync/registeredlist.h"
#include "sync/sharedfile.h"
#include "sync/sharedhistory.h"
#include "sync/sharedstate.h"
#include "TOOLS/toolini.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"

namespace {

constexpr UINT kTickMs = 500;       // a change notified reaches the menu well within 2 s
constexpr DWORD kRereadMs = 30000;  // shares and some services never notify
constexpr UINT kCodePage = 932;

struct SharedRun {
    HWND window = nullptr;
    TextStore* store = nullptr;
    const AppSettings* settings = nullptr;
    std::u16string subfolder;  // the shared folder's subfolder of this program
    std::u16string ownName;
    uint64_t machine = 0;
    std::string computer;   // UTF-8
    bool haveView = false;  // false until the own file was read once: the base of local changes
    SharedState view;
    SharedHistory history;                // this machine's own copies and the stamps seen
    std::map<uint64_t, uint64_t> origins;  // shared text id -> the machine it came from
    std::string lastWritten;  // the own file's content as last written, its time left out
    HANDLE change = INVALID_HANDLE_VALUE;
    DWORD lastRead = 0;
    bool localChanged = false;
    bool applying = false;
    SharedFolderStatus status;
};

SharedRun* g_run = nullptr;

std::string BytesIn932(const std::u16string& wide) {
    int size = WideCharToMultiByte(kCodePage, 0, WideChars(wide), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string bytes(static_cast<size_t>(size - 1), '\0');
    WideCharToMultiByte(kCodePage, 0, WideChars(wide), -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::u16string ThisComputer() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(name), size);
}

uint64_t NewMachineId() {
    GUID guid;
    uint64_t id = 0;
    while (id == 0) {
        if (FAILED(CoCreateGuid(&guid))) return GetTickCount() | 1;
        std::memcpy(&id, guid.Data4, sizeof id);
        id ^= static_cast<uint64_t>(guid.Data1) << 32 | static_cast<uint64_t>(guid.Data2) << 16 |
              guid.Data3;
    }
    return id;
}

bool SameList(const std::vector<LocalText>& a, const std::vector<LocalText>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const LocalText& x, const LocalText& y) {
                          return x.text == y.text && x.exact == y.exact;
                      });
}

bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.c_str()), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool fits =
        GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) <= kSharedFileMaxBytes;
    DWORD got = 0;
    try {
        if (fits) bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::exception&) {
        fits = false;
    }
    bool read =
        fits && (bytes.empty() ||
                 ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr));
    CloseHandle(file);
    bytes.resize(got);
    return read;
}

struct FolderRead {
    bool reachable = false;
    std::vector<SharedFile> files;
    std::vector<std::u16string> newer;
};

// Every file of the subfolder that parses, whatever its name; the subfolder is made when the
// shared folder is there without it.
FolderRead ReadFolder(const std::u16string& subfolder) {
    FolderRead read;
    std::u16string pattern = subfolder + u"\\*";
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(reinterpret_cast<LPCWSTR>(pattern.c_str()), &found);
    if (find == INVALID_HANDLE_VALUE) {
        read.reachable = CreateDirectoryW(reinterpret_cast<LPCWSTR>(subfolder.c_str()), nullptr);
        return read;
    }
    read.reachable = true;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
        std::string bytes;
        SharedFile file;
        if (!ReadWholeFile(subfolder + u"\\" + name, bytes)) continue;
        switch (parseSharedFile(bytes, file)) {
        case SharedFileRead::Read: read.files.push_back(std::move(file)); break;
        case SharedFileRead::Newer: read.newer.push_back(name); break;
        default: break;  // half written or damaged: read again at the next change
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return read;
}

bool WriteFlushed(const std::u16string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.c_str()), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool written =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
        done == bytes.size() && FlushFileBuffers(file);
    return CloseHandle(file) && written;
}

// A temporary beside the own file, then one replace: a reader never sees it half written by us.
bool WriteOwnFile(const SharedRun& run, const std::string& bytes) {
    std::u16string path = run.subfolder + u"\\" + run.ownName;
    std::u16string temp = path + u".tmp";
    if (WriteFlushed(temp, bytes) &&
        MoveFileExW(reinterpret_cast<LPCWSTR>(temp.c_str()),
                    reinterpret_cast<LPCWSTR>(path.c_str()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(reinterpret_cast<LPCWSTR>(temp.c_str()));
    return false;
}

void WatchFolder(SharedRun& run) {
    if (run.change != INVALID_HANDLE_VALUE) return;
    run.change = FindFirstChangeNotificationW(
        reinterpret_cast<LPCWSTR>(run.subfolder.c_str()), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
}

void Unwatch(SharedRun& run) {
    if (run.change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(run.change);
    run.change = INVALID_HANDLE_VALUE;
}

// The newest write of each machine, whichever of its files (a conflicted copy too) told it.
void NoteMachine(SharedFolderStatus& status, const SharedFile& file) {
    auto seen = std::find_if(status.machines.begin(), status.machines.end(),
                             [&file](const SharedMachine& m) { return m.machine == file.machine; });
    std::u16string name;
    if (!utf16FromUtf8(file.computer, name)) name = u"?";
    if (seen == status.machines.end())
        status.machines.push_back(SharedMachine{name, file.machine, file.written});
    else if (file.written > seen->written)
        *seen = SharedMachine{name, file.machine, file.written};
}

void NoteMachines(SharedRun& run, const FolderRead& read) {
    run.status.reachable = read.reachable;
    if (!read.reachable) return;
    run.status.newerFiles = read.newer;
    run.status.machines.clear();
    for (const SharedFile& file : read.files) NoteMachine(run.status, file);
}

uint64_t NowMs() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    constexpr uint64_t kTicksTo1970 = 116444736000000000ULL;  // 100 ns ticks from 1601
    return ticks > kTicksTo1970 ? (ticks - kTicksTo1970) / 10000 : 0;
}

int SharedCopyCount(const SharedRun& run) {
    return run.settings->shared.historyCount;
}

// Other machines' new copies into the History; none while this machine shares none itself or
// keeps no history.
void ExchangeHistory(SharedRun& run, const FolderRead& read) {
    if (SharedCopyCount(run) <= 0) {
        run.history = {};
        run.origins.clear();
        return;
    }
    std::vector<HistorySource> sources;
    for (const SharedFile& file : read.files) sources.push_back({file.machine, &file.history});
    if (run.settings->history.useHistory)
        recordArrivals(*run.store, run.settings->history.historyCount,
                       takeNewCopies(run.history, run.machine, sources));
    run.origins = copyOrigins(run.history, run.machine, sources);
}

SharedHistory HistoryToShare(const SharedRun& run) {
    if (SharedCopyCount(run) <= 0) return {};
    return {copiesToShare(run.history, *run.store, SharedCopyCount(run)), run.history.seen};
}

// Local changes into the view, the folder's views merged in, the result into the store and the
// folder. An unreachable folder changes nothing here.
void Exchange(SharedRun& run) {
    run.lastRead = GetTickCount();
    FolderRead read = ReadFolder(run.subfolder);
    NoteMachines(run, read);
    if (!read.reachable) {
        Unwatch(run);
        return;
    }
    WatchFolder(run);
    // A folder that came back without this machine's file (emptied, or made anew) gets it again.
    if (std::none_of(read.files.begin(), read.files.end(),
                     [&run](const SharedFile& file) { return file.machine == run.machine; }))
        run.lastWritten.clear();
    if (!run.haveView) {
        // Only this machine's own files tell what the local list was when it last wrote; a text
        // another machine added since is not one deleted here.
        for (const SharedFile& file : read.files) {
            if (file.machine != run.machine) continue;
            mergeState(run.view, file.state);
            mergeOwnHistory(run.history, file.history);
        }
        run.haveView = true;
    }
    const int64_t now = static_cast<int64_t>(time(nullptr));
    std::vector<LocalText> local = registeredTexts(*run.store);
    recordLocalList(run.view, local, run.machine, now);
    run.localChanged = false;
    SharedState merged = run.view;
    for (const SharedFile& file : read.files) mergeState(merged, file.state);
    std::vector<LocalText> list = liveTexts(merged);
    if (!SameList(list, local)) {
        run.applying = true;
        bool stored = replaceRegisteredKeepingIds(*run.store, list);
        if (stored && run.store->saver) run.store->saver(ListKind::RegisteredTexts);
        run.applying = false;
        // Texts that could not be stored stay out of the view, so they are not deleted elsewhere.
        if (stored) run.view = std::move(merged);
    } else {
        run.view = std::move(merged);
    }
    expireTombstones(run.view, now);
    ExchangeHistory(run, read);
    SharedFile own{run.machine, 0, run.computer, run.view, HistoryToShare(run)};
    std::string content = encodeSharedFile(own);
    if (content == run.lastWritten) return;
    own.written = now;
    if (!WriteOwnFile(run, encodeSharedFile(own))) return;
    run.lastWritten = std::move(content);
    NoteMachine(run.status, own);
}

void CALLBACK OnSharedFolderTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_run) return;
    bool notified = g_run->change != INVALID_HANDLE_VALUE &&
                    WaitForSingleObject(g_run->change, 0) == WAIT_OBJECT_0;
    if (notified) FindNextChangeNotification(g_run->change);
    if (notified || g_run->localChanged || GetTickCount() - g_run->lastRead >= kRereadMs)
        Exchange(*g_run);
}

}  // namespace

void EnsureMachineId(AppSettings& settings, const std::u16string& settingsPath) {
    SharedSettings& shared = settings.shared;
    std::string computer = BytesIn932(ThisComputer());
    uint64_t id;
    if (parseMachineId(shared.machineId, id) && sameComputer(shared.machineComputer, computer))
        return;
    tooltext::CopyBounded(shared.machineId, sizeof shared.machineId,
                          machineIdText(NewMachineId()).c_str());
    tooltext::CopyBounded(shared.machineComputer, sizeof shared.machineComputer, computer.c_str());
    if (settingsPath.empty()) return;
    WriteIniText(kSharedSection, "マシンID", shared.machineId, settingsPath);
    WriteIniText(kSharedSection, "コンピュータ名", shared.machineComputer, settingsPath);
}

void StartSharedFolder(HWND mainWindow, AppSettings& settings, TextStore& store) {
    StopSharedFolder();
    if (!settings.shared.folder[0]) return;
    EnsureMachineId(settings, ModuleSiblingPath(".ini"));
    uint64_t machine;
    if (!parseMachineId(settings.shared.machineId, machine)) return;
    try {
        g_run = new SharedRun;
    } catch (const std::exception&) {
        return;
    }
    SharedRun& run = *g_run;
    run.window = mainWindow;
    run.store = &store;
    run.settings = &settings;
    run.machine = machine;
    run.computer = utf8FromUtf16(ThisComputer());
    std::u16string folder = SharedFolderPath(settings.shared);
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
    run.subfolder = folder + u"\\" + WideFrom932(kSharedSubfolder);
    run.ownName = WideFrom932(sharedFileName(machine).c_str());
    run.status.on = true;
    Exchange(run);
    SetTimer(mainWindow, TIMER_SHARED_FOLDER, kTickMs, OnSharedFolderTick);
}

void StopSharedFolder() {
    if (!g_run) return;
    if (g_run->localChanged) Exchange(*g_run);
    KillTimer(g_run->window, TIMER_SHARED_FOLDER);
    Unwatch(*g_run);
    delete g_run;
    g_run = nullptr;
}

TextStoreSaver ShareRegisteredSaves(TextStoreSaver save) {
    return [save](ListKind kind) {
        if (save) save(kind);
        if (kind == ListKind::RegisteredTexts && g_run && !g_run->applying)
            g_run->localChanged = true;
    };
}

void NoteSharedHistoryCopy(const TextStore& store, const char* text, const ExactText& exact) {
    if (!g_run || SharedCopyCount(*g_run) <= 0 || isRegistered(store, text, exact.get())) return;
    const std::u16string form = exact ? *exact : std::u16string();
    noteOwnCopy(g_run->history, g_run->machine, NowMs(), text, form, kMaxHistoryCount);
    g_run->origins.erase(sharedTextId(text, form));
    g_run->localChanged = true;
}

std::u16string SharedHistoryOrigin(const TextStore& store, int id) {
    if (!g_run || !isHistoryId(store, id)) return {};
    const std::u16string* exact = exactTextOfId(store, id);
    auto origin = g_run->origins.find(sharedTextId(textOfId(store, id), exact ? *exact : u""));
    if (origin == g_run->origins.end()) return {};
    for (const SharedMachine& seen : g_run->status.machines)
        if (seen.machine == origin->second) return seen.computer;
    return {};
}

std::u16string WideFrom932(const char* text) {
    int size = MultiByteToWideChar(kCodePage, 0, text, -1, nullptr, 0);
    if (size <= 1) return {};
    std::u16string wide(static_cast<size_t>(size - 1), u'\0');
    MultiByteToWideChar(kCodePage, 0, text, -1, WideChars(wide), size);
    return wide;
}

SharedFolderStatus GetSharedFolderStatus() {
    return g_run ? g_run->status : SharedFolderStatus{};
}
