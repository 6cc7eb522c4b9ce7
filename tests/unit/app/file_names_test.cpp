#include <gtest/gtest.h>

#include "app/file_names.h"

namespace zelo::app {
namespace {

TEST(FileNames, ListPatternsMatchEndingsWithoutRegardToCase)
{
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"blink.asm", "*.asm", true},   {"BLINK.ASM", "*.asm", true},  {"blink.asm.bak", "*.asm", false},
        {"prog.tsk", "*tsk;*hex", true}, {"prog.HEX", "*tsk;*hex", true}, {"progtsk", "*tsk;*hex", true},
        {"prog.lst", "*tsk;*hex", false}, {"x.asm", "", false},           {"x.asm", ";", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesFilePattern(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

TEST(FileNames, OnlyPlainNamesStayInTheWorkspace)
{
    for (const char* bad : {"", ".", "..", "../x.asm", "sub/x.asm", "..\\x.asm", "C:x.asm", "/etc/passwd"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    for (const char* good : {"x.asm", "指令8051.lst", "a b.asm", "..x.asm"}) EXPECT_TRUE(IsPlainFileName(good)) << good;
}

}  // namespace
}  // namespace zelo::app
