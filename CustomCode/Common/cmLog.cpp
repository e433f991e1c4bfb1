#include "CustomCode/Common/cmLog.h"

#include "CustomCode/Common/cmChecks.h"
#include "platform/kernel32/DebugOutput.h"
#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/LastError.h"
#include "platform/linux/LogFile.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

namespace {

// The process's sink list, mostly changed at start-up and exit; worker
// threads may still write a last line while the process ends, so writing
// holds the list shared and changing it exclusively.
std::vector<cmLogOutput*>& Sinks()
{
    static std::vector<cmLogOutput*>* sinks = new std::vector<cmLogOutput*>;  // lives until exit
    return *sinks;
}

std::shared_mutex& SinksLock()
{
    static std::shared_mutex* lock = new std::shared_mutex;  // lives until exit
    return *lock;
}

// The memory ring. The counter's increment is atomic; the lock keeps two
// writers that reach the same slot after a wrap from replacing its text at
// the same moment.
struct MemoryStore {
    std::mutex lock;
    std::atomic<LONG> counter{-1};
    std::string slots[cmLogToInMemoryStore::kSlots];
};

MemoryStore& Store()
{
    static MemoryStore* store = new MemoryStore;  // lives until exit
    return *store;
}

constexpr int kLineBuffer = 1024;

}  // namespace

void cmLogOutputDebugString::Write(LPCSTR szLine) { OutputDebugStringA(szLine); }

cmLogOutputLogFile::cmLogOutputLogFile(LPCSTR szPath)
    : m_szPath((szPath != nullptr && *szPath != '\0') ? cmString(szPath)
                                                       : cmString(platform::DefaultLogFilePath().c_str()))
{
}

void cmLogOutputLogFile::Write(LPCSTR szLine)
{
    if (szLine != nullptr)
        platform::AppendToLogFile(m_szPath.GetText(), szLine, std::strlen(szLine));
}

void cmLogToInMemoryStore::Write(LPCSTR szLine)
{
    MemoryStore& s = Store();
    const LONG slot = (s.counter.fetch_add(1) + 1) % kSlots;
    s.counter.store(slot, std::memory_order_relaxed);
    std::lock_guard<std::mutex> g(s.lock);
    s.slots[slot] = (szLine != nullptr) ? szLine : "";
}

cmString cmLogToInMemoryStore::GetStoredLine(int nSlot)
{
    if (nSlot < 0 || nSlot >= kSlots)
        return cmString();
    MemoryStore& s = Store();
    std::lock_guard<std::mutex> g(s.lock);
    return cmString(s.slots[nSlot].c_str(), static_cast<DWORD>(s.slots[nSlot].size()));
}

void cmLogPrintV(LPCSTR szFormat, va_list args, bool bNewline)
{
    std::shared_lock<std::shared_mutex> g(SinksLock());
    std::vector<cmLogOutput*>& sinks = Sinks();
    if (sinks.empty() || szFormat == nullptr)
        return;
    // The text is bounded so that it and its newline fit the buffer.
    char line[kLineBuffer + 1];
    int n = std::vsnprintf(line, kLineBuffer, szFormat, args);
    if (n < 0)
        n = 0;
    if (n > kLineBuffer - 1)
        n = kLineBuffer - 1;
    if (bNewline)
        line[n++] = '\n';
    line[n] = '\0';
    for (cmLogOutput* s : sinks)
        s->Write(line);
}

void cmLogPrint(LPCSTR szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    cmLogPrintV(szFormat, args, true);
    va_end(args);
}

void cmLogPrintNoNewline(LPCSTR szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    cmLogPrintV(szFormat, args, false);
    va_end(args);
}

void AddLogOutput(cmLogOutput* pOutput)
{
    std::unique_lock<std::shared_mutex> g(SinksLock());
    if (pOutput == nullptr) {
        Sinks().push_back(new cmLogOutputDebugString);
        Sinks().push_back(new cmLogOutputLogFile);
        return;
    }
    Sinks().push_back(pOutput);
}

void RemoveLogOutput(cmLogOutput* pOutput)
{
    std::unique_lock<std::shared_mutex> g(SinksLock());
    std::vector<cmLogOutput*>& sinks = Sinks();
    if (pOutput == nullptr) {
        std::vector<cmLogOutput*> doomed;
        doomed.swap(sinks);
        for (cmLogOutput* s : doomed)
            delete s;
        return;
    }
    auto it = std::find(sinks.begin(), sinks.end(), pOutput);
    if (it != sinks.end()) {
        sinks.erase(it);
        delete pOutput;
    }
}

DWORD cmLogGetOutputCount()
{
    std::shared_lock<std::shared_mutex> g(SinksLock());
    return static_cast<DWORD>(Sinks().size());
}

cmLogOutput* cmLogGetOutput(DWORD dwIndex)
{
    std::shared_lock<std::shared_mutex> g(SinksLock());
    return (dwIndex < Sinks().size()) ? Sinks()[dwIndex] : nullptr;
}

HRESULT DumpLogStore(LPCSTR szFilePath)
{
    std::string text;
    for (int i = 0; i < cmLogToInMemoryStore::kSlots; ++i) {
        const cmString line = cmLogToInMemoryStore::GetStoredLine(i);
        text.append(line.GetText(), line.GetLengthInTchars());
    }
    // Created anew as the log file is: 0600, never through a symbolic link,
    // so a link planted at the path cannot send the lines elsewhere.
    platform::NewTextFile file;
    const DWORD dwCreated = file.Create(szFilePath != nullptr ? szFilePath : "", platform::MissingFolders::Fail);
    // hFile stands for the open file in the failure line's condition.
    const HANDLE hFile = dwCreated == ERROR_SUCCESS ? static_cast<HANDLE>(&file) : INVALID_HANDLE_VALUE;
    if (INVALID_HANDLE_VALUE == hFile) {
        SetLastError(dwCreated);
        return CM_LOG_FAILED_CALL(INVALID_HANDLE_VALUE == hFile);
    }
    const DWORD dwWritten = file.Write(text.data(), text.size());
    const bool bWritten = dwWritten == ERROR_SUCCESS;
    HRESULT hr = S_OK;
    if (!bWritten) {
        SetLastError(dwWritten);
        hr = CM_LOG_FAILED_CALL(!bWritten);
    }
    return hr;
}

void cmLogRegisterSinks(DWORD dwFlags, LPCSTR szLogFile)
{
    // Each kind once per process, registered by the first subsystem that asks.
    static DWORD s_seen = 0;
    const DWORD fresh = dwFlags & ~s_seen;
    s_seen |= dwFlags;
    if (fresh & 0x10000000u)
        AddLogOutput(new cmLogOutputDebugString);
    if (fresh & 0x40000000u)
        AddLogOutput(new cmLogToInMemoryStore);
    if (fresh & 0x20000000u)
        AddLogOutput(new cmLogOutputLogFile(szLogFile));
}
