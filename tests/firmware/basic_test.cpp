// The BASIC of the open firmware, end to end: typed lines, the screen; its
// start when there is no disk to boot; EDIT, AUTO, DELETE, ON ERROR / RESUME,
// ERROR, ERR, ERL, STRING$, VARPTR, the DATA error line, CLOAD into too little
// memory and the entry points 06CCh and 1E5Ah.
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

// Each line: what is typed, what the screen shows (cleared first).
struct Line {
    const char* typed;
    const char* shown;
};

void expectAll(Basic& b, std::initializer_list<Line> cases) {
    for (const Line& c : cases) EXPECT_EQ(b.out(std::string(c.typed) + "\r"), std::string(">") + c.typed + "\n" + c.shown) << c.typed;
}

TEST(Basic, MemorySizeAtPowerOn) {
    Basic b(nullptr);
    EXPECT_EQ(b.screen().substr(0, 13), "MEMORY SIZE? ");
    b.type("X\r32768\r");
    EXPECT_EQ(b.word(0x40B1), 0x7FFF);
    EXPECT_EQ(b.word(0x40A0), 0x7FFF - 49);
    EXPECT_EQ(b.screen().substr(0, 21), "KESTREL OPEN FIRMWARE");
    Basic all;
    EXPECT_EQ(all.word(0x40B1), 0xFFFF);
}

TEST(Basic, Expressions) {
    Basic b;
    expectAll(b, {{"PRINT 2+3*4", " 14\nREADY\n>"},
                  {"PRINT (2+3)*4", " 20\nREADY\n>"},
                  {"PRINT 7/2;-7/2;10-2-3;100/7*7", " 3.5 -3.5  5  100\nREADY\n>"},
                  {"PRINT 5 AND 3;5 OR 3;NOT 0;-(-4);7.9 AND 15", " 1  7 -1  4  7\nREADY\n>"},
                  {"PRINT 3>2;3<2;2<=2;2>=3;2<>2;2=2;-1<1;.5<1", "-1  0 -1  0  0 -1 -1 -1\nREADY\n>"},
                  {"PRINT -32767-1;300*-100;32767+1;200*200;-32768-1", "-32768 -30000  32768  40000 -32769\nREADY\n>"},
                  {"PRINT 1/0", "?/0 ERROR\nREADY\n>"},
                  {"PRINT 1E38*10", "?OV ERROR\nREADY\n>"},
                  {"A%=40000", "?OV ERROR\nREADY\n>"},
                  {"PRINT 2+", "?SN ERROR\nREADY\n>"},
                  {"PRINT 7\\2", " 7\n?SN ERROR\nREADY\n>"},
                  {"PRINT \"A\"+1", "?TM ERROR\nREADY\n>"},
                  {"AB=5:ABC=ABC+1:LET B%=-2.5:PRINT AB;B;B%", " 6  0 -3\nREADY\n>"}});
    // ^ is typed with the up arrow, which the screen shows as [.
    EXPECT_EQ(b.out("PRINT -2^2;2^-1;2^10\r"), ">PRINT -2[2;2[-1;2[10\n-4  .5  1024\nREADY\n>");
}

TEST(Basic, ProgramLinesListAndRun) {
    Basic b;
    b.type("20 PRINT 2\r10 PRINT 1\r30 PRINT 3\r20 PRINT \"TWO\";'NOTE\r30\r15 REM IF X THEN\r");
    EXPECT_EQ(b.out("LIST\r"), ">LIST\n10 PRINT 1\n15 REM IF X THEN\n20 PRINT \"TWO\";'NOTE\nREADY\n>");
    EXPECT_EQ(b.out("LIST 15-20\r"), ">LIST 15-20\n15 REM IF X THEN\n20 PRINT \"TWO\";'NOTE\nREADY\n>");
    EXPECT_EQ(b.out("LIST 20\r"), ">LIST 20\n20 PRINT \"TWO\";'NOTE\nREADY\n>");
    EXPECT_EQ(b.out("25\r"), ">25\n?UL ERROR\nREADY\n>");
    EXPECT_EQ(b.out("list 10\r"), ">list 10\n10 PRINT 1\nREADY\n>");
    EXPECT_EQ(b.out("RUN\r"), ">RUN\n 1\nTWO\nREADY\n>");
    // Tokens as stored: 42E9h link, number, PRINT " 1", 00h.
    const uint8_t* m = inside(*b.m).bus.memoryBase();
    EXPECT_EQ(b.word(0x42EB), 10);
    EXPECT_EQ(m[0x42ED], 0xB2);
    EXPECT_EQ(b.word(0x42E9), 0x42E9 + 4 + 4);
    b.type("NEW\r");
    EXPECT_EQ(b.out("LIST\r"), ">LIST\nREADY\n>");
    EXPECT_EQ(b.word(0x40F9), 0x42EB);
}

TEST(Basic, ControlFlow) {
    Basic b;
    b.type("10 FOR I=1 TO 9 STEP 3:PRINT I;:NEXT\r20 FOR J=3 TO 1 STEP -1:PRINT J;:NEXT J\r"
           "30 GOSUB 100:ON 2 GOTO 40,50\r40 PRINT \"NO\"\r50 IF 1>2 THEN PRINT \"A\" ELSE PRINT \"B\"\r"
           "60 IF 2>1 THEN 70 ELSE END\r70 ON 3 GOSUB 100,100:X=1:IF X THEN PRINT \"C\";:IF 0 THEN PRINT \"D\"\r"
           "80 PRINT:END\r90 PRINT \"E\"\r100 PRINT \"S\";:RETURN\r");
    EXPECT_EQ(b.out("RUN\r"), ">RUN\n 1  4  7  3  2  1 SB\nC\nREADY\n>");
    expectAll(b, {{"NEXT", "?NF ERROR\nREADY\n>"},
                  {"RETURN", "?RG ERROR\nREADY\n>"},
                  {"GOTO 55", "?UL ERROR\nREADY\n>"},
                  {"FOR A$=\"X\" TO 2", "?TM ERROR\nREADY\n>"}});
    b.type("NEW\r10 GOTO 20\r20 GOTO 30\r");
    EXPECT_EQ(b.out("RUN\r"), ">RUN\n?UL ERROR IN 20\nREADY\n>");
    b.type("NEW\r10 GOSUB 10\r");
    EXPECT_EQ(b.out("RUN\r", 600), ">RUN\n?OM ERROR IN 10\nREADY\n>");
}

TEST(Basic, BreakStopAndCont) {
    Basic b;
    b.type("10 FOR I%=1 TO 3000:NEXT\r20 PRINT I%\r30 STOP\r40 PRINT \"ON\"\r");
    b.type("CLS\r", 5);
    b.type("RUN\r", 10);
    b.pressBreak();
    EXPECT_NE(b.screen().find("\nBREAK IN 10 "), std::string::npos) << b.screen();
    EXPECT_EQ(b.out("CONT\r", 400), ">CONT\n 3001\nBREAK IN 30\nREADY\n>");
    EXPECT_EQ(b.out("CONT\r"), ">CONT\nON\nREADY\n>");
    EXPECT_EQ(b.out("CONT\r"), ">CONT\n?CN ERROR\nREADY\n>");

    // Loops made of line jumps alone stop too, and CONT goes on with them.
    // The two-line loop may be caught in either of its lines.
    const std::pair<const char*, const char*> loops[] = {
        {"10 GOTO 10\r", "10"}, {"10 IF 1 THEN 10\r", "10"}, {"10 GOTO 20\r20 GOTO 10\r", "1020"}};
    for (const auto& [program, lines] : loops) {
        b.type("NEW\r");
        b.type(program);
        b.type("CLS\r", 5);
        b.type("RUN\r", 10);
        b.pressBreak();
        const std::string shown = b.screen();
        const size_t at = shown.find("\nBREAK IN ");
        ASSERT_NE(at, std::string::npos) << program << shown;
        const std::string line = shown.substr(at + 10, 2);
        EXPECT_NE(std::string(lines).find(line), std::string::npos) << program << shown;
        b.type("CONT\r", 10);
        EXPECT_EQ(b.screen().find("ERROR"), std::string::npos) << program << b.screen();
        b.pressBreak();
        EXPECT_EQ(b.out("PRINT 7\r"), ">PRINT 7\n 7\nREADY\n>") << program;
    }
}

TEST(Basic, PrintLayout) {
    Basic b;
    expectAll(b, {{"PRINT 1,-2;\"X\"", " 1              -2 X\nREADY\n>"},
                  {"PRINT TAB(5);\"T\";TAB(2);\"U\"", "     TU\nREADY\n>"},
                  {"PRINT \"A\";:PRINT \"B\"", "AB\nREADY\n>"}});
    b.out("PRINT @ 130,\"Z\";\r");
    EXPECT_EQ(b.screen()[2 * 65 + 2], 'Z');
}

TEST(Basic, DataReadDimAndArrays) {
    Basic b(nullptr);
    b.type("32768\r");  // MEM fits an integer
    b.type("10 DATA 1,-2,\"X,Y\"\r20 READ A,B,C$:RESTORE:READ D\r30 PRINT A;B;C$;D\r40 READ E,F$,G\r");
    EXPECT_EQ(b.out("RUN\r"), ">RUN\n 1 -2 X,Y 1\n?OD ERROR IN 40\nREADY\n>");
    expectAll(b, {{"CLEAR:DIM A(3,2):A(3,2)=7:A(0,1)=4:PRINT A(3,2)+A(0,1);A(1,1)", " 11  0\nREADY\n>"},
                  {"CLEAR:DIM A(3,2):A(4,0)=1", "?BS ERROR\nREADY\n>"},
                  {"CLEAR:DIM A(2):DIM A(3)", "?DD ERROR\nREADY\n>"},
                  {"CLEAR:DIM Q(2):Q(1)=ZZ+5:PRINT Q(1)", " 5\nREADY\n>"},
                  {"B$(10)=\"Q\":B(2)=3:PRINT B$(10);B(2)", "Q 3\nREADY\n>"},
                  {"CLEAR:DIM Z(5):PRINT MEM-FRE(0)", " 0\nREADY\n>"}});
    // An array of 6 integers takes 8 + 2 + 12 bytes.
    b.out("CLEAR\r");
    EXPECT_EQ(b.out("M=MEM:DIM Z(5),Y%(5):PRINT M-MEM\r"), ">M=MEM:DIM Z(5),Y%(5):PRINT M-MEM\n 52\nREADY\n>");
}

TEST(Basic, Input) {
    Basic b;
    b.type("10 INPUT \"N\";A,B$\r20 PRINT A;B$\r30 INPUT C:PRINT C\r");
    EXPECT_EQ(b.out("RUN\r3,HI\r7\r"), ">RUN\nN? 3,HI\n 3 HI\n? 7\n 7\nREADY\n>");
    EXPECT_EQ(b.out("RUN\rX\r5\r\"Q\"\r1,2\r"), ">RUN\nN? X\n?REDO\nN? 5\n?? \"Q\"\n 5 Q\n? 1,2\n?EXTRA IGNORED\n 1\nREADY\n>");
    expectAll(b, {{"INPUT A", "?ID ERROR\nREADY\n>"}});
}

TEST(Basic, StringsAndFunctions) {
    Basic b;
    expectAll(b, {{"A$=\"HELLO\"", "READY\n>"},
                  {"?LEFT$(A$,2);RIGHT$(A$,3);MID$(A$,2,3);MID$(A$,4);LEN(A$)", "HELLOELLLO 5\nREADY\n>"},
                  {"PRINT CHR$(65);ASC(\"B\");STR$(-12);VAL(\"42\")+1;VAL(\"X\")", "A 66 -12 43  0\nREADY\n>"},
                  {"A$=\"AB\":B$=A$+\"C\"+A$:PRINT B$;\"A\"<\"B\";B$=\"ABCAB\";\"AB\">\"A\"", "ABCAB-1 -1 -1\nREADY\n>"},
                  {"PRINT ABS(-5);SGN(-3);SGN(0);SGN(9);INT(7)", " 5 -1  0  1  7\nREADY\n>"},
                  {"POKE 30000,123:PRINT PEEK(30000)", " 123\nREADY\n>"},
                  {"PRINT RND(1);LEN(\"\");MID$(\"AB\",5);\"|\"", " 1  0 |\nREADY\n>"},
                  {"PRINT ASC(\"\")", "?FC ERROR\nREADY\n>"},
                  {"CLEAR 100:PRINT FRE(\"\")", " 100\nREADY\n>"}});
    // RND(6) stays within 1-6.
    b.type("10 FOR I%=1 TO 100:R=RND(6):IF R<1 OR R>6 THEN PRINT \"BAD\"\r20 NEXT:PRINT \"OK\"\r");
    EXPECT_EQ(b.out("RUN\r", 400), ">RUN\nOK\nREADY\n>");
    // USR: CALL 0A7Fh, INC HL, JP 0A9Ah placed at 7530h (30000).
    b.out("POKE 30000,205:POKE 30001,127:POKE 30002,10:POKE 30003,35:POKE 30004,195:POKE 30005,154:POKE 30006,10\r"
          "POKE 16526,48:POKE 16527,117:PRINT USR(41)\r");
    EXPECT_NE(b.screen().find(" 42 "), std::string::npos) << b.screen();
}

TEST(Basic, StringSpaceCollectsGarbage) {
    Basic b;
    b.type("10 CLEAR 60:DIM S$(3):S$(2)=\"KEEP\"\r20 FOR I%=1 TO 300:A$=STR$(I%)+\"XYZ\":NEXT\r30 PRINT A$;S$(2);FRE(A$)\r");
    EXPECT_EQ(b.out("RUN\r", 1200), ">RUN\n 300XYZKEEP 53\nREADY\n>");
    expectAll(b, {{"CLEAR 10:A$=\"12345678901\"", "?OS ERROR\nREADY\n>"}});
}

TEST(Basic, Graphics) {
    Basic b;
    b.out("CLS:SET(100,40):SET(101,41):SET(0,46):RESET(0,46)\r");
    const uint8_t* m = inside(*b.m).bus.memoryBase();
    // Cell (50,13) = 3F72h: middle-left block (bit 2) and bottom-right (bit 5).
    EXPECT_EQ(m[0x3F72], 0xA4);
    EXPECT_EQ(m[0x3FC0], 0x80);
    b.out("SET(100,40):PRINT POINT(100,40);POINT(101,40)\r");
    EXPECT_NE(b.screen().find("\n-1  0  "), std::string::npos) << b.screen();
    expectAll(b, {{"SET(128,0)", "?FC ERROR\nREADY\n>"}});
}

TEST(Basic, KeysPortsAndSmallStatements) {
    Basic b;
    b.type("10 A$=INKEY$:IF A$=\"\" THEN 10\r20 PRINT \"K\";A$;ASC(A$)\r");
    EXPECT_EQ(b.out("RUN\rQ"), ">RUN\nKQ 81\nREADY\n>");
    b.type("NEW\r10 REM PRINT 0\r20 DEFINT A-Z:RANDOM:PRINT 1:END\r30 PRINT 2\r");
    EXPECT_EQ(b.out("RUN\r"), ">RUN\n 1\nREADY\n>");
    EXPECT_EQ(b.out("TRON:RUN\r"), ">TRON:RUN\n<10><20> 1\nREADY\n>");
    EXPECT_EQ(b.out("TROFF:RUN\r"), ">TROFF:RUN\n 1\nREADY\n>");
    expectAll(b, {{"PRINT \"AB\";POS(0);INP(200)", "AB 2  255\nREADY\n>"},
                  {"OUT 30,77:OUT 30,256", "?FC ERROR\nREADY\n>"},
                  {"CSAVE \"\"", "?FC ERROR\nREADY\n>"}});
    EXPECT_EQ(inside(*b.m).bus.portLatch[0x1E], 77);
}

std::string screen(const Machine& m) { return screenText(m.memory().data() + 0x3C00, "\n"); }

// No disk in drive 0 (or BREAK held): BASIC asks at once, without waiting for
// a controller that has nothing to read.
TEST(DiskBoot, WithoutADiskBasicAsksForTheMemorySizeAtOnce) {
    for (bool breakHeld : {false, true}) {
        SCOPED_TRACE(breakHeld ? "BREAK held" : "no key");
        Machine m(test::quietMachineOptions());
        m.startUp();
        if (breakHeld) m.keyboard().press(6, 2);
        int frames = 0;
        while (frames < 10 && screen(m).rfind("MEMORY SIZE? ", 0) != 0) {
            m.runFrame();
            ++frames;
        }
        EXPECT_LT(frames, 10) << screen(m);
    }
}

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
