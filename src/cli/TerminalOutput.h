#pragma once
// What the command line prints passes through one filter on its way to the terminal: a text
// from a problem (an equation, a file name, a message quoting them) may hold control characters,
// and an escape sequence among them could rewrite what the terminal shows or does. The filter
// writes every such character visibly instead (TerminalSafe); ordinary output passes unchanged.

#include <streambuf>
#include <string>

namespace ode::cli {

// A stream buffer that keeps each line until it ends (or is flushed) and hands it to `target`
// made terminal-safe. A UTF-8 sequence is never cut in two by a flush.
class TerminalSafeBuffer : public std::streambuf {
public:
    explicit TerminalSafeBuffer(std::streambuf* target) : m_target(target) {}
    ~TerminalSafeBuffer() override;

    // Where the filtered text goes.
    const std::streambuf* target() const { return m_target; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    // Passes on what is pending; with `whole` false a UTF-8 sequence still incomplete at the end
    // stays for the next write.
    bool pass(bool whole);

    std::streambuf* m_target;
    std::string m_pending;
};

} // namespace ode::cli
