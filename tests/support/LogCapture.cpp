#include "tests/support/LogCapture.h"

#include <algorithm>
#include <mutex>

namespace testsupport {

// Lines may come from any thread of the test.
class LogCapture::Sink : public cmLogOutput {
public:
    void Write(LPCSTR szLine) override
    {
        std::lock_guard<std::mutex> g(lock);
        lines.emplace_back(szLine);
    }
    std::mutex lock;
    std::vector<std::string> lines;
};

LogCapture::LogCapture() : m_pSink(new Sink) { AddLogOutput(m_pSink); }

LogCapture::~LogCapture() { RemoveLogOutput(m_pSink); }

std::vector<std::string> LogCapture::Lines() const
{
    std::lock_guard<std::mutex> g(m_pSink->lock);
    return m_pSink->lines;
}

bool LogCapture::Contains(const std::string& line) const
{
    std::lock_guard<std::mutex> g(m_pSink->lock);
    return std::find(m_pSink->lines.begin(), m_pSink->lines.end(), line) != m_pSink->lines.end();
}

void LogCapture::Clear()
{
    std::lock_guard<std::mutex> g(m_pSink->lock);
    m_pSink->lines.clear();
}

}  // namespace testsupport
