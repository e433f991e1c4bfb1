#include "CustomCode/Common/cmLog.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The process's sink list; changed only while one thread runs (start-up, exit).
std::vector<cmLogOutput*>& Sinks()
{
    static std::vector<cmLogOutput*>* sinks = new std::vector<cmLogOutput*>;
    return *sinks;
}

constexpr int kLineBuffer = 1024;

}  // namespace

void cmLogPrintV(LPCSTR szFormat, va_list args, bool bNewline)
{
    std::vector<cmLogOutput*>& sinks = Sinks();
    if (sinks.empty())
        return;
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
    if (pOutput != nullptr)
        Sinks().push_back(pOutput);
}

void RemoveLogOutput(cmLogOutput* pOutput)
{
    std::vector<cmLogOutput*>& sinks = Sinks();
    if (pOutput == nullptr) {
        for (cmLogOutput* s : sinks)
            delete s;
        sinks.clear();
        return;
    }
    auto it = std::find(sinks.begin(), sinks.end(), pOutput);
    if (it != sinks.end()) {
        sinks.erase(it);
        delete pOutput;
    }
}
