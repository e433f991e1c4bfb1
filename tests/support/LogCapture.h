// LogCapture: a log sink that keeps every line written while it exists, so a
// test can assert on the exact diagnostic lines an operation wrote.
#pragma once

#include "CustomCode/Common/cmLog.h"

#include <string>
#include <vector>

namespace testsupport {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Every line so far, each ending in its newline.
    // A copy: lines may still arrive from other threads.
    std::vector<std::string> Lines() const;
    bool Contains(const std::string& line) const;  // exact line, newline included
    void Clear();

private:
    class Sink;
    Sink* m_pSink;
};

}  // namespace testsupport
