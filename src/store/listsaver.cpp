// The list-file writing thread and its queue.
#include "store/listsaver.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "store/listfile.h"
#include "store/savepace.h"
#include "TOOLS/toolsys.h"

namespace {

// One list's files: its texts to path, and its exact texts beside them (to exactPath, unless
// empty) in the same write, so that the pause of a burst never falls between the two.
struct PendingSave {
    std::u16string path;
    std::u16string exactPath;
    TextChain snapshot;
};

// Everything below is guarded by g_lock; the thread starts on the first queued write and then
// waits for work for the rest of the run.
CRITICAL_SECTION g_lock;
HANDLE g_work = nullptr;  // auto-reset: something was queued
HANDLE g_idle = nullptr;  // manual-reset: the queue is empty and no write is under way
// Manual-reset, set exactly while someone waits for the writes: then no pause. A signal left
// behind by a wait that met no pause would skip the pause of a later burst.
HANDLE g_hurry = nullptr;
int g_waiters = 0;
std::vector<PendingSave> g_pending;
bool g_started = false;

class Locked {
public:
    Locked() { EnterCriticalSection(&g_lock); }
    ~Locked() { LeaveCriticalSection(&g_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

// Takes the oldest queued write; false (with g_idle set) once there is none.
bool TakeNext(PendingSave& next) {
    Locked lock;
    if (g_pending.empty()) {
        SetEvent(g_idle);
        return false;
    }
    next = std::move(g_pending.front());
    g_pending.erase(g_pending.begin());
    return true;
}

void SaveNow(const TextChain& chain, const char16_t* path, const char16_t* exactPath) {
    switch (writeListFiles(chain, path, exactPath)) {
    case ListSave::Saved: return;
    case ListSave::ExactNotSaved:
        Trace("%s : not saved\r\n", AnsiFromWide(exactPath).c_str());
        return;
    case ListSave::TextsNotSaved: Trace("%s : not saved\r\n", AnsiFromWide(path).c_str()); return;
    case ListSave::Held:
        Trace("%s : not saved, as %s could not be replaced and would not fit it\r\n",
              AnsiFromWide(path).c_str(), AnsiFromWide(exactPath).c_str());
        return;
    }
}

const char16_t* ExactPathOf(const PendingSave& save) {
    return save.exactPath.empty() ? nullptr : save.exactPath.c_str();
}

// Writes one file; returns how long the next write of a burst waits.
DWORD SaveAndPace(const PendingSave& save) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    SaveNow(save.snapshot, save.path.c_str(), ExactPathOf(save));
    QueryPerformanceCounter(&end);
    return pauseAfterWriteMs(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                             static_cast<double>(frequency.QuadPart));
}

bool MoreQueued() {
    Locked lock;
    return !g_pending.empty();
}

DWORD WINAPI SaveThread(void*) {
    for (;;) {
        WaitForSingleObject(g_work, INFINITE);
        PendingSave next;
        while (TakeNext(next)) {
            DWORD pause = SaveAndPace(next);
            next = PendingSave{};  // the snapshot may hold texts the list has already dropped
            if (MoreQueued()) WaitForSingleObject(g_hurry, pause);
        }
    }
}

BOOL CALLBACK StartSaveThread(INIT_ONCE*, void*, void**) {
    InitializeCriticalSection(&g_lock);
    g_work = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    g_hurry = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = g_work && g_idle && g_hurry
                        ? CreateThread(nullptr, 0, SaveThread, nullptr, 0, nullptr)
                        : nullptr;
    g_started = thread != nullptr;
    if (thread) CloseHandle(thread);
    return TRUE;
}

bool SaveThreadRunning() {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    InitOnceExecuteOnce(&once, StartSaveThread, nullptr, nullptr);
    return g_started;
}

// Queues a snapshot of chain; false when there was no memory for it (nothing is queued then).
bool Enqueue(const TextChain& chain, const char16_t* path, const char16_t* exactPath) {
    try {
        // Declared before the lock: the older snapshot swapped into them is freed after it.
        TextChain snapshot = chain;
        std::u16string name = path;
        std::u16string exactName = exactPath ? exactPath : u"";
        Locked lock;
        auto slot =
            std::find_if(g_pending.begin(), g_pending.end(),
                         [&name](const PendingSave& pending) { return pending.path == name; });
        if (slot == g_pending.end()) {
            g_pending.push_back(PendingSave{std::move(name), {}, {}});
            slot = std::prev(g_pending.end());
        }
        std::swap(slot->snapshot, snapshot);
        std::swap(slot->exactPath, exactName);
        ResetEvent(g_idle);
        SetEvent(g_work);
        return true;
    } catch (const std::exception&) {  // bad_alloc
        return false;
    }
}

}  // namespace

void queueListSave(const TextChain& chain, const char16_t* path, const char16_t* exactPath) {
    if (!path || !*path) return;
    if (SaveThreadRunning() && Enqueue(chain, path, exactPath)) return;
    waitForListSaves();
    SaveNow(chain, path, exactPath);
}

void waitForListSaves() {
    if (!SaveThreadRunning()) return;
    {
        Locked lock;
        if (g_waiters++ == 0) SetEvent(g_hurry);
    }
    WaitForSingleObject(g_idle, INFINITE);
    Locked lock;
    if (--g_waiters == 0) ResetEvent(g_hurry);
}
