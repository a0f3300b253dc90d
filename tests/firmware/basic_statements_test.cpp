// The open BASIC's EDIT, AUTO, DELETE, ON ERROR / RESUME, ERROR, ERR, ERL,
// STRING$, VARPTR, the DATA error line, CLOAD into too little memory and the
// entry points 06CCh and 1E5Ah.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "basic_session.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

using test::Basic;

struct Case {
    const char* program;  // typed after NEW
    const char* typed;
    const char* shown;  // the screen after CLS and `typed`
};

void expectAll(std::initializer_list<Case> cases) {
    Basic b;
    for (const Case& c : cases) {
        b.type(std::string("NEW\r") + c.program);
        EXPECT_EQ(b.out(c.typed), c.shown) << c.program << " | " << c.typed;
    }
}

// Each case edits line 10 with the keys: the edit shown, the line stored.
TEST(BasicStatements, EditKeys) {
    Basic b;
    const char* const cases[][3] = {
        {"\r", "10 PRINT \"ABCABC\":X=1", "10 PRINT \"ABCABC\":X=1"},
        {"6 2D\r", "10 PRINT !\"A!BCABC\":X=1", "10 PRINT BCABC\":X=1"},
        {"7 2CXYE", "10 PRINT \"XY", "10 PRINT \"XYCABC\":X=1"},
        {"6 IQQ\b\x1b\r", "10 PRINT Q\"ABCABC\":X=1", "10 PRINT Q\"ABCABC\":X=1"},
        {"X:Y=2\r", "10 PRINT \"ABCABC\":X=1:Y=2", "10 PRINT \"ABCABC\":X=1:Y=2"},
        {"9 HZ\"\r", "10 PRINT \"ABZ\"", "10 PRINT \"ABZ\""},
        {"2KC\r", "10 !PRINT \"ABCAB!C\":X=1", "10 C\":X=1"},
        {"2SBDE", "10 PRINT \"ABCA!B!", "10 PRINT \"ABCAC\":X=1"},
        {"5 \b\bD\r", "10 PRI!N!T \"ABCABC\":X=1", "10 PRIT \"ABCABC\":X=1"},
        {"L3 \r", "10 PRINT \"ABCABC\":X=1\n10 PRINT \"ABCABC\":X=1", "10 PRINT \"ABCABC\":X=1"},
        {"2DA\r", "10 !PR!\n10 PRINT \"ABCABC\":X=1", "10 PRINT \"ABCABC\":X=1"},
        {"2DQ", "10 !PR!", "10 PRINT \"ABCABC\":X=1"},
    };
    for (const auto& [keys, shown, stored] : cases) {
        b.type("NEW\r10 PRINT \"ABCABC\":X=1\r20 END\r");
        EXPECT_EQ(b.out(std::string("EDIT 10\r") + keys + "LIST 10\r"),
                  std::string(">EDIT 10\n") + shown + "\nREADY\n>LIST 10\n" + stored + "\nREADY\n>")
            << keys;
    }
}

TEST(BasicStatements, AutoDeleteAndEditErrors) {
    const char* five = "10 A=1\r20 A=2\r30 A=3\r40 A=4\r50 A=5\r";
    expectAll({
        {"20 PRINT 2\r", "AUTO\rA=1\rB=2\r\rLIST\r", ">AUTO\n10 A=1\n20*B=2\n30\nREADY\n>LIST\n10 A=1\n20 B=2\nREADY\n>"},
        {"", "AUTO 100,5\rA=1\r\rLIST\r", ">AUTO 100,5\n100 A=1\n105\nREADY\n>LIST\n100 A=1\nREADY\n>"},
        {five, "DELETE 20-40\rLIST\r", ">DELETE 20-40\nREADY\n>LIST\n10 A=1\n50 A=5\nREADY\n>"},
        {five, "DELETE -20\rLIST\r", ">DELETE -20\nREADY\n>LIST\n30 A=3\n40 A=4\n50 A=5\nREADY\n>"},
        {five, "DELETE 50\rLIST\r", ">DELETE 50\nREADY\n>LIST\n10 A=1\n20 A=2\n30 A=3\n40 A=4\nREADY\n>"},
        {five, "DELETE 25-40\r", ">DELETE 25-40\n?FC ERROR\nREADY\n>"},
        {five, "DELETE 40-20\r", ">DELETE 40-20\n?FC ERROR\nREADY\n>"},
        {five, "EDIT 15\r", ">EDIT 15\n?UL ERROR\nREADY\n>"},
        {five, "EDIT\r", ">EDIT\n?FC ERROR\nREADY\n>"},
    });
    Basic b;  // BREAK ends AUTO
    b.type("AUTO 5\r");
    b.pressBreak();
    EXPECT_EQ(b.out("PRINT 1\rLIST\r"), ">PRINT 1\n 1\nREADY\n>LIST\nREADY\n>");
}

TEST(BasicStatements, ErrorTrapping) {
    const char* retry = "10 ON ERROR GOTO 100\r20 PRINT 10/D;\r30 PRINT ERR;ERL:END\r";
    expectAll({
        {"10 ON ERROR GOTO 100\r20 FOR I=1 TO 3:PRINT 6/(I-2);:NEXT\r30 PRINT ERR;ERL:END\r100 PRINT \"E\";:RESUME NEXT\r",
         "RUN\r", ">RUN\n-6 E 6  20  20\nREADY\n>"},
        {retry, "100 D=5:RESUME\rRUN\r", ">100 D=5:RESUME\n>RUN\n 2  20  20\nREADY\n>"},
        {retry, "100 RESUME 30\rRUN\r", ">100 RESUME 30\n>RUN\n 20  20\nREADY\n>"},
        {retry, "100 ON ERROR GOTO 0\rRUN\r", ">100 ON ERROR GOTO 0\n>RUN\n?/0 ERROR IN 20\nREADY\n>"},
        {retry, "100 PRINT A$+1\rRUN\r", ">100 PRINT A$+1\n>RUN\n?TM ERROR IN 100\nREADY\n>"},
        {"10 ERROR 5\r", "RUN\r", ">RUN\n?FC ERROR IN 10\nREADY\n>"},
        {"10 ON ERROR GOTO 20:ERROR 23\r20 PRINT ERR:ERROR 99\r", "RUN\r", ">RUN\n 44\n?UE ERROR IN 20\nREADY\n>"},
        {"", "RESUME\r", ">RESUME\n?RW ERROR\nREADY\n>"},
        {"10 READ A,B\r20 DATA 1,X1?\r", "RUN\r", ">RUN\n?SN ERROR IN 20\nREADY\n>"},
        {"10 DATA \"S\"\r20 READ A\r", "RUN\r", ">RUN\n?SN ERROR IN 10\nREADY\n>"},
    });
}

TEST(BasicStatements, StringAndVarptr) {
    expectAll({
        {"", "PRINT STRING$(3,\"AB\");STRING$(2,42);STRING$(0,65);\"|\"\r", ">PRINT STRING$(3,\"AB\");STRING$(2,42);STRING$(0,65);\"|\"\nAAA**|\nREADY\n>"},
        {"", "PRINT STRING$(256,65)\r", ">PRINT STRING$(256,65)\n?FC ERROR\nREADY\n>"},
        {"", "PRINT STRING$(2,256)\r", ">PRINT STRING$(2,256)\n?FC ERROR\nREADY\n>"},
        {"", "PRINT STRING$(2,\"\")\r", ">PRINT STRING$(2,\"\")\n?FC ERROR\nREADY\n>"},
        {"", "PRINT INSTR(\"AB\",\"B\")\r", ">PRINT INSTR(\"AB\",\"B\")\n?SN ERROR\nREADY\n>"},
        {"10 A%=258:B$=\"XYZ\":DIM C%(3):C%(2)=9\r20 PRINT PEEK(VARPTR(A%));PEEK(VARPTR(A%)+1);PEEK(VARPTR(B$));PEEK(VARPTR(C%(2)))\r",
         "RUN\r", ">RUN\n 2  1  3  9\nREADY\n>"},
    });
}

// A USR routine reads " 1234 X" through 1E5Ah, keeps DE, HL and A, and ends
// with JP 06CCh: READY, with the program still there.
TEST(BasicStatements, EntryPoints) {
    Basic b;
    b.type("10 FOR I=0 TO 25:READ B:POKE 30000+I,B:NEXT:POKE 16526,48:POKE 16527,117\r"
           "20 X=USR(0):PRINT \"NOT HERE\"\r"
           "30 DATA 33,67,117,205,90,30,237,83,88,117,34,90,117,50,92,117,195,204,6\r"
           "40 DATA 32,49,50,51,52,32,88\r");
    EXPECT_EQ(b.out("RUN\rPRINT PEEK(30040)+256*PEEK(30041);PEEK(30042);PEEK(30044)\rLIST 20\r"),
              ">RUN\nREADY\n>PRINT PEEK(30040)+256*PEEK(30041);PEEK(30042);PEEK(30044)\n 1234  73  88\nREADY\n"
              ">LIST 20\n20 X=USR(0):PRINT \"NOT HERE\"\nREADY\n>");
    EXPECT_EQ(b.out("RUN\r"), ">RUN\nREADY\n>");
}

// CLOAD of a program that does not fit beside the one in memory: ?OM, and
// the old program is intact; one that fits replaces it.
TEST(BasicStatements, CloadTooLongKeepsTheProgram) {
    auto tape = [](int lines) {
        std::vector<uint8_t> t(255, 0x00);
        t.insert(t.end(), {0xA5, 0xD3, 0xD3, 0xD3, 'A'});
        for (int n = 1; n <= lines; ++n) {
            t.insert(t.end(), {0x01, 0x01, static_cast<uint8_t>(n), 0x00, 0x93});  // n REM XXX...
            t.insert(t.end(), 200, 'X');
            t.push_back(0x00);
        }
        t.insert(t.end(), {0x00, 0x00});
        return t;
    };
    test::ScratchDir dir;
    Basic b("20000");
    b.type("10 PRINT \"OLD\"\r20 END\r");
    ASSERT_TRUE(b.m->attachTape(dir.write("long.cas", tape(16))));
    EXPECT_EQ(b.out("CLOAD\rLIST\rRUN\r", 200).substr(64), ">CLOAD\n?OM ERROR\nREADY\n>LIST\n10 PRINT \"OLD\"\n20 END\nREADY\n>RUN\nOLD\nREADY\n>");
    ASSERT_TRUE(b.m->attachTape(dir.write("short.cas", tape(2))));
    EXPECT_EQ(b.out("CLOAD\rLIST\r", 200).substr(64, 21), ">CLOAD\nREADY\n>LIST\n1 ");
    const uint8_t* m = inside(*b.m).bus.memoryBase();
    auto word = [m](int a) { return m[a] | m[a + 1] << 8; };
    EXPECT_EQ(word(0x42E9), 0x42E9 + 206);  // moved down, links recomputed
    EXPECT_EQ(word(0x42E9 + 206), 0x42E9 + 412);
    EXPECT_EQ(word(0x42E9 + 208), 2);
    EXPECT_EQ(word(0x40F9), 0x42E9 + 414);
}

}  // namespace
}  // namespace kestrel
