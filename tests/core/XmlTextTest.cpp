// The text the descriptions are parsed from keeps TinyXML within it.
#include <cstring>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <tinyxml.h>

#include "core/XmlText.h"

namespace {

// Bytes placed at the very end of a readable page, before a page that
// cannot be read: a read past them stops the program. TinyXML is the
// system's library, which the sanitizers do not look into.
class GuardedBytes {
  public:
    explicit GuardedBytes(const std::string& bytes)
    {
        const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        m_size = 2 * page;
        void* pages = ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages == MAP_FAILED || bytes.size() > page)
            return;
        m_pages = static_cast<char*>(pages);
        ::mprotect(m_pages + page, page, PROT_NONE);
        m_data = m_pages + page - bytes.size();
        std::memcpy(m_data, bytes.data(), bytes.size());
    }
    ~GuardedBytes()
    {
        if (m_pages)
            ::munmap(m_pages, m_size);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    const char* Data() const { return m_data; }

  private:
    char* m_pages = nullptr;
    char* m_data = nullptr;
    std::size_t m_size = 0;
};

bool ParsesWhole(const char* text)
{
    TiXmlDocument document;
    document.Parse(text);
    return !document.Error();
}

} // namespace

TEST(XmlTextDeathTest, ATextEndingInALeadByteTakesTheParserPastASingleTerminator)
{
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    // The declaration makes the parser read UTF-8.
    const std::string text = "<?xml version=\"1.0\"?>\n<object>a name \xF0";
    EXPECT_DEATH(
        {
            GuardedBytes bare(text + '\0');
            ParsesWhole(bare.Data());
        },
        "");
}

TEST(XmlTextTest, TheParserStaysInsideTheTextMadeForIt)
{
    const std::string declared = "<?xml version=\"1.0\"?>\n<object>a name ";
    struct Case {
        std::string bytes;
        bool whole;
    };
    const Case cases[] = {
        {declared + "\xC3", false},          {declared + "\xE2\x82", false}, {declared + "\xF0", false},
        {"\xEF\xBB\xBF<object/>\xF7", true}, {"<object name=\"\xF0", false}, {"", false},
        {declared + "</object>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string text =
            XmlParseText(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(text.compare(0, c.bytes.size(), c.bytes), 0);
        // The string's own terminator is part of what the parser reads.
        GuardedBytes guarded(std::string(text.c_str(), text.size() + 1));
        ASSERT_NE(guarded.Data(), nullptr);
        EXPECT_EQ(ParsesWhole(guarded.Data()), c.whole);
    }
}
