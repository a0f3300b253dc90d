; ===========================================================================
; KESTREL open firmware: the 12 KB BASIC ROM at 0000h-2FFFh.
;
; Written from scratch for KESTREL. It keeps the entry points, register
; conventions and RAM communication area that programs for these machines
; use, so that they find things where they expect them.
;
; BASIC has integers, single and double precision numbers and strings; a
; value carries its type (VALUE_TYPE).
;
; Layout (every fixed address is placed with pad_to, which stops the build
; if the code before it grows too long). The room left before a fixed
; address holds parts of the floating point code (PART selects the part of
; a file), so that the whole BASIC fits; moving them is a matter of room.
;   0000h-0068h  power-on, restarts, fixed I/O entry points (restarts.asm)
;                LPRINT
;   0069h-       default targets of the RST vectors         (restarts.asm)
;                FUNC(), SQR, ATN, LOG         (fp_func.asm, fp_explog.asm)
;   01C9h        clear screen                               (restarts.asm)
;                constants                                  (fp_consts.asm)
;   01F8h-03FFh  cassette routines, CSAVE, CLOAD, SYSTEM entry (cassette.asm)
;                EXP's series                               (fp_consts.asm)
;   0400h-       console: drivers, line input, text output  (console.asm)
;                EXP                                        (fp_explog.asm)
;   06CCh        READY keeping the program
;                start-up, MEMORY SIZE?, READY, errors      (command.asm)
;                start from disk                            (disk_boot.asm)
;                comparing, whole parts, integers           (fp_int.asm)
;                RND, LOG's series               (fp_rnd.asm, fp_consts.asm)
;   0A7Fh, 0A9Ah USR argument / result
;   0AA0h-       tokenising, program lines, the statement
;                loop, jumps, loops, LIST                   (basic_lines.asm)
;                (0E6Ch, 0FAFh, 0FBDh: numbers and text, among them)
;                expressions, variables, arrays             (basic_eval.asm)
;                floating point arithmetic        (fp_core.asm, fp_poly.asm)
;                reading numbers                            (fp_text.asm)
;                SIN's and ATN's series                     (fp_consts.asm)
;   1A19h        READY
;   1A1Ch-       the other statements                       (basic_stmt.asm)
;                functions, strings, garbage collection     (basic_func.asm)
;                (1E5Ah: decimal digits to an integer, among them)
;                keyword, statement and function tables     (basic_tables.asm)
;                the SYSTEM command's body                  (tape_system.asm)
;                numbers in the accumulator                 (fp_value.asm)
;                writing numbers, ^                (fp_write.asm, fp_explog.asm)
;   28A7h        display text
;   28AAh-       ON ERROR, AUTO, DELETE, EDIT ...           (basic_edit.asm)
;                PRINT USING                                (fp_using.asm)
;                SIN, COS, TAN                              (fp_func.asm)
; Unused bytes are FFh.
; ===========================================================================

        include "sysvars.asm"
        include "basic_defs.asm"
        include "macros.asm"

        org     0000h
        include "restarts.asm"
        include "cassette.asm"

        pad_to  0400h
        include "console.asm"
PART    defl    2
        include "fp_explog.asm"         ; EXP

; 06CCh  Back to READY with the program kept (machine code ends with
; JP 06CCh); READY resets the stack.
        pad_to  06CCh
ready_keep:
        ld      hl,0
        ld      (CONT_PTR),hl
        jp      ready

        include "command.asm"
        include "disk_boot.asm"
        include "fp_int.asm"
        include "fp_rnd.asm"
PART    defl    2
        include "fp_consts.asm"         ; LOG's series


; 0A7Fh  In a USR routine: returns HL = the integer argument.
        pad_to  0A7Fh
usr_argument:
        ld      hl,(ACC)
        ret

; 0A9Ah  From a USR routine: gives the integer in HL back to BASIC.
        pad_to  0A9Ah
usr_result:
        ld      (ACC),hl
        ld      a,T_INT
        ld      (VALUE_TYPE),a
        ret

        include "basic_lines.asm"
        include "basic_eval.asm"
        include "fp_core.asm"
        include "fp_poly.asm"
        include "fp_text.asm"
PART    defl    1
        include "fp_consts.asm"         ; SIN's and ATN's series

; 1A19h  Back to the READY prompt (programs jump here when done).
        pad_to  1A19h
ready_entry:
        jp      ready

        include "basic_stmt.asm"
        include "basic_func.asm"
        include "basic_tables.asm"
        include "tape_system.asm"
        include "fp_value.asm"
        include "fp_write.asm"
PART    defl    3
        include "fp_explog.asm"         ; ^

; 28A7h  Display the text at HL up to 00h or 0Dh (see print_text).
        pad_to  28A7h
display_text:
        jp      print_text

        include "basic_edit.asm"
        include "fp_using.asm"
PART    defl    3
        include "fp_func.asm"           ; SIN, COS, TAN

        pad_to  3000h
        end
