#include "tests/support/LogCapture.h"

#include <algorithm>

namespace testsupport {

class LogCapture::Sink : public cmLogOutput {
public:
    void Write(LPCSTR szLine) override { lines.emplace_back(szLine); }
    std::vector<std::string> lines;
};

LogCapture::LogCapture() : m_pSink(new Sink) { AddLogOutput(m_pSink); }

LogCapture::~LogCapture() { RemoveLogOutput(m_pSink); }

const std::vector<std::string>& LogCapture::Lines() const { return m_pSink->lines; }

bool LogCapture::Contains(const std::string& line) const
{
    return std::find(m_pSink->lines.begin(), m_pSink->lines.end(), line) != m_pSink->lines.end();
}

void LogCapture::Clear() { m_pSink->lines.clear(); }

}  // namespace testsupport
