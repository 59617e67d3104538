// Text files: the line reader (comments, trimming, section headers) and
// the tokenizer over every line, with and without quoting.
#include "FuzzSupport.h"

#include "core/TextReader.h"
#include "core/Tokenizer.h"

std::vector<std::string> FuzzSeeds()
{
    return {"// comment\n[section]\nkey = value\n  a,b , \"c,d\" \n/* block\n*/\nlast",
            "fire;Fire;\";\";false\r\nup;Up;Up;false\r\n", "1 2 3 4 a,1 5 b,1\nsources\ngate north\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CPTextReader reader(reinterpret_cast<const char*>(data), static_cast<std::int32_t>(size));
    std::string line;
    for (int lines = 0; lines < 100000; ++lines) {
        const bool found = reader.GetLine(line);
        if (!found && reader.IsValueLine())
            break;
        for (const char* delimiter : {",", ";", " ", "=", ""}) {
            for (bool quotes : {false, true}) {
                CPTokenizer tokenizer(line, delimiter, quotes);
                std::string token;
                for (std::size_t n = 0; tokenizer.NextToken(token); ++n)
                    if (n > line.size() + 1)
                        __builtin_trap(); // more tokens than the line has bytes
            }
        }
    }
    return 0;
}
