// Whole programs typed into the open BASIC through the runner: the kinds of
// programs published for these machines that need floating point.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "devices/typed_text.h"
#include "runner/runner.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

// Types NEW, the program and RUN, then gives the screen after `seconds`, its
// lines without trailing blanks, from the line that shows RUN.
std::string runProgram(const std::string& program, double seconds, const std::string& after = "") {
    test::ScratchDir dir;
    RunnerOptions o;
    o.romDirectory = dir.path().string();  // no ROM files there: the open firmware
    o.seconds = seconds;
    o.type = unescapeTypedText("\n" + program + "RUN\n" + after);
    o.screenText = dir.file("screen.txt");
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(runRunner(o, dir.path(), stdout, err), 0);
    std::fclose(err);
    std::ifstream in(o.screenText);
    std::string screen((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), r, line;
    for (char c : screen) {
        if (c != '\n') {
            line += c;
            continue;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty()) r += line + "\n";
        line.clear();
    }
    size_t run = r.rfind(">RUN\n");
    return run == std::string::npos ? r : r.substr(run + 5);
}

TEST(BasicPrograms, QuadraticFormulaWithRealAndComplexRoots) {
    const char* program =
        "10 READ A,B,C:IF A=0 THEN END\n"
        "20 D=B*B-4*A*C:IF D<0 THEN 50\n"
        "30 PRINT (-B+SQR(D))/(2*A);(-B-SQR(D))/(2*A)\n"
        "40 GOTO 10\n"
        "50 R=-B/(2*A):I=SQR(-D)/(2*A):PRINT R;\"+/-\";I;\"I\"\n"
        "60 GOTO 10\n"
        "70 DATA 1,-3,2, 2,4,-6, 1,2,5, 1,-3,1, 0,0,0\n";
    EXPECT_EQ(runProgram(program, 8), " 2  1\n 1 -3\n-1 +/- 2 I\n 2.61803  .381966\nREADY\n>\xF0\x9F\xAC\xAD\n");
}

TEST(BasicPrograms, SineWavePlotWithAFractionalStep) {
    const char* program =
        "10 FOR X=0 TO 3 STEP .25\n"
        "20 PRINT TAB(INT(20+15*SIN(X)));\"*\";X\n"
        "30 NEXT\n";
    std::string out = runProgram(program, 10);
    // 13 rows: the star's column follows the sine, X counts in quarters.
    EXPECT_NE(out.find("                    * 0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("                                  * 1.5\n"), std::string::npos) << out;
    EXPECT_NE(out.find("                         * 2.75\n"), std::string::npos) << out;
    EXPECT_NE(out.find("                      * 3\nREADY"), std::string::npos) << out;
}

TEST(BasicPrograms, PrintUsingTable) {
    const char* program =
        "10 PRINT USING \"%    % ####.## **$##.## ##.#^^^^\";\"ITEM\";1234.567;5.5;12345\n"
        "20 FOR I=1 TO 3:PRINT USING \"#: +#.## ##,###-\";I;-I/3;1000*I*-I:NEXT\n"
        "30 PRINT USING \"!!&\";\"XY\";\"ZZ\";\"END\"\n";
    EXPECT_EQ(runProgram(program, 8), "ITEM   1234.57 ***$5.50  1.2E+04\n"
                                      "1: -0.33  1,000-\n2: -0.67  4,000-\n3: -1.00  9,000-\nXZEND\nREADY\n>\xF0\x9F\xAC\xAD\n");
}

TEST(BasicPrograms, HiLoGameWithRnd0) {
    // The computer guesses the number it chose by halving the range.
    const char* program =
        "10 N=INT(RND(0)*100)+1:L=1:H=100:T=0\n"
        "20 G=INT((L+H)/2):T=T+1\n"
        "30 IF G<N THEN PRINT G;\"LOW\":L=G+1:GOTO 20\n"
        "40 IF G>N THEN PRINT G;\"HIGH\":H=G-1:GOTO 20\n"
        "50 PRINT \"GOT\";N;\"IN\";T:IF T>7 THEN PRINT \"TOO MANY\"\n"
        "60 R=RND(0):IF R<=0 OR R>=1 THEN PRINT \"BAD\"\n";
    std::string out = runProgram(program, 8);
    EXPECT_NE(out.find("GOT"), std::string::npos) << out;
    EXPECT_EQ(out.find("TOO MANY"), std::string::npos) << out;
    EXPECT_EQ(out.find("BAD"), std::string::npos) << out;
}

TEST(BasicPrograms, IntegersOverflowIntoSinglePrecision) {
    const char* program =
        "10 A%=32767:B=A%+1:C=A%*2:D=-A%-2:PRINT B;C;D\n"
        "20 FOR I=32766 TO 32768:PRINT I;:NEXT:PRINT\n"
        "30 PRINT PEEK(-1)=PEEK(65535);MEM>32767;40000/2\n"
        "40 E%=A%+1\n";
    EXPECT_EQ(runProgram(program, 6), " 32768  65534 -32769\n 32766  32767  32768\n-1 -1  20000\n?OV ERROR IN 40\nREADY\n>\xF0\x9F\xAC\xAD\n");
}

TEST(BasicPrograms, MachineCodePrintsANumberThrough0FBDhAndReturnsThrough06CCh) {
    // At 7530h: LD HL,7550h / LD DE,4121h / LD BC,4 / LDIR (a single into the
    // accumulator) / LD A,4 / LD (40AFh),A / CALL 0FBDh / CALL 28A7h / JP 06CCh;
    // at 7550h: 1.5 as a single.
    const char* program =
        "10 FOR I=0 TO 27:READ B:POKE 30000+I,B:NEXT:FOR I=0 TO 3:READ B:POKE 30032+I,B:NEXT\n"
        "20 POKE 16526,48:POKE 16527,117:X=USR(0):PRINT \"NOT HERE\"\n"
        "30 DATA 33,80,117,17,33,65,1,4,0,237,176,62,4,50,175,64,205,189,15,205,167,40,195,204,6,0,0,0\n"
        "40 DATA 0,0,64,129\n";
    EXPECT_EQ(runProgram(program, 6, "LIST 20\n"), " 1.5\nREADY\n>LIST 20\n20 POKE 16526,48:POKE 16527,117:X=USR(0):PRINT \"NOT HERE\"\nREADY\n>\xF0\x9F\xAC\xAD\n");
}

}  // namespace
}  // namespace kestrel
