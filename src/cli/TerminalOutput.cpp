#include "cli/TerminalOutput.h"

#include "common/Utf8.h"

namespace ode::cli {

namespace {

// Where an incomplete UTF-8 sequence starts at the end of `text` (text.size() when none).
size_t incompleteTail(const std::string& text)
{
    const size_t size = text.size();
    for (size_t back = 1; back <= 3 && back <= size; ++back) {
        const unsigned char c = static_cast<unsigned char>(text[size - back]);
        if (c < 0x80)
            return size;
        if (c >= 0xC0) { // a lead byte: complete when its sequence fits in what follows it
            const size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            return need > back ? size - back : size;
        }
    }
    return size;
}

} // namespace

TerminalSafeBuffer::~TerminalSafeBuffer() { pass(true); }

bool TerminalSafeBuffer::pass(bool whole)
{
    const size_t cut = whole ? m_pending.size() : incompleteTail(m_pending);
    if (cut == 0)
        return true;
    const std::string safe = TerminalSafe(std::string_view(m_pending).substr(0, cut));
    m_pending.erase(0, cut);
    return m_target->sputn(safe.data(), static_cast<std::streamsize>(safe.size())) ==
           static_cast<std::streamsize>(safe.size());
}

TerminalSafeBuffer::int_type TerminalSafeBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
}

std::streamsize TerminalSafeBuffer::xsputn(const char* s, std::streamsize n)
{
    m_pending.append(s, static_cast<size_t>(n));
    const size_t lineEnd = m_pending.rfind('\n');
    if (lineEnd != std::string::npos) {
        std::string rest = m_pending.substr(lineEnd + 1);
        m_pending.resize(lineEnd + 1);
        const bool ok = pass(true);
        m_pending = std::move(rest);
        if (!ok)
            return 0;
    }
    return n;
}

int TerminalSafeBuffer::sync()
{
    if (!pass(false))
        return -1;
    return m_target->pubsync();
}

} // namespace ode::cli
