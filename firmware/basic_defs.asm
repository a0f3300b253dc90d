; ---------------------------------------------------------------------------
; BASIC: tokens, working variables in the communication area, error codes.
; ---------------------------------------------------------------------------

; --- Tokens (fixed: tokenised programs on tape and disk use these) ----------
TOK_END         equ     80h
TOK_FOR         equ     81h
TOK_DATA        equ     88h
TOK_GOTO        equ     8Dh
TOK_IF          equ     8Fh
TOK_GOSUB       equ     91h
TOK_REM         equ     93h
TOK_ELSE        equ     95h
TOK_OPEN        equ     0A2h
TOK_SYSTEM      equ     0AEh
TOK_NEW         equ     0BBh            ; the last statement token
TOK_TAB         equ     0BCh
TOK_TO          equ     0BDh
TOK_USING       equ     0BFh
TOK_USR         equ     0C1h
TOK_THEN        equ     0CAh
TOK_NOT         equ     0CBh
TOK_STEP        equ     0CCh
TOK_PLUS        equ     0CDh
TOK_MINUS       equ     0CEh
TOK_TIMES       equ     0CFh
TOK_DIVIDE      equ     0D0h
TOK_POW         equ     0D1h
TOK_AND         equ     0D2h
TOK_OR          equ     0D3h
TOK_GT          equ     0D4h
TOK_EQ          equ     0D5h
TOK_LT          equ     0D6h
TOK_SGN         equ     0D7h
TOK_CVI         equ     0E6h
TOK_CINT        equ     0EFh
TOK_QUOTE_REM   equ     0FBh
TOK_PRINT       equ     0B2h

; --- Value types (VALUE_TYPE, and the type byte of a variable) --------------
T_INT           equ     2
T_STR           equ     3
T_SNG           equ     4
T_DBL           equ     8

; --- Working variables ----------------------------------------------------
CUR_LINE        equ     40A2h           ; line being run, FFFFh in immediate mode
RND_SEED        equ     40AAh
TMP_PTR         equ     40B3h           ; next free temporary string descriptor
TMP_POOL        equ     40B5h           ; ten descriptors: length, address
TMP_END         equ     40D3h
STR_FREE        equ     40D6h           ; lowest byte in use in string space
; ON ERROR, AUTO and EDIT (40D8h-40EFh)
ERR_TRAP        equ     40D8h           ; ON ERROR GOTO line, 0 = off
ERR_FLAG        equ     40DAh           ; not 0 while the handler runs
ERR_CODE        equ     40DBh           ; ERR
ERR_LINE        equ     40DCh           ; ERL
ERR_TEXT        equ     40DEh           ; the statement in error, for RESUME
STMT_SP         equ     40E0h           ; the stack as the statement started
AUTO_LINE       equ     40E2h
AUTO_STEP       equ     40E4h
EDIT_LINE       equ     40E6h           ; number of the line edited
EDIT_LEN        equ     40E8h           ; its characters
EDIT_POS        equ     40E9h           ; the cursor in them
EDIT_COUNT      equ     40EAh           ; the count typed before a command
USR_ADDR        equ     408Eh           ; where USR( calls
CONT_SP         equ     40F1h           ; stack of the stopped program
CONT_LINE       equ     40F5h
CONT_PTR        equ     40F7h           ; where CONT resumes, 0 = cannot
DATA_PTR        equ     40FFh           ; where READ goes on
DEF_TYPES       equ     4101h           ; the type of each letter's names, A-Z
ACC             equ     4121h           ; the value: integer, single, or a descriptor
                                        ; address; a double starts at 411Dh
ARG             equ     412Bh           ; left operand of a binary operation, the
                                        ; same way (a double from 4127h)
ARG_TYPE        equ     412Fh
KW_LEN          equ     4149h           ; keyword matching: best length, token
KW_TOK          equ     414Ah
VAR_TYPE        equ     414Bh
SUB_COUNT       equ     414Ch
SUB_TEXT        equ     4130h
TEXT_SAVE       equ     4132h
FOR_VAR         equ     4134h
FOR_TYPE        equ     4136h
GC_LIMIT        equ     413Ah
GC_DEST         equ     413Ch
GC_MAX          equ     413Eh
GC_BEST         equ     4140h
STMT_START      equ     4142h
INPUT_VAR       equ     4144h
TRACE_FLAG      equ     4148h           ; TRON: not 0
SUB_BUF         equ     4150h           ; subscripts, at most 8
DIM_BUF         equ     4160h           ; sizes of a new array
NUM_BUF         equ     4170h           ; text of a number: sign, digits, 00h
NUM_LEN         equ     32
MAX_DIMS        equ     8
STACK_ROOM      equ     120             ; kept free between variables and stack

; --- Error codes (twice the error number) -----------------------------------
ERR_RG          equ     04h
ERR_OD          equ     06h
ERR_FC          equ     08h
ERR_OV          equ     0Ah
ERR_OM          equ     0Ch
ERR_UL          equ     0Eh
ERR_BS          equ     10h
ERR_DD          equ     12h
ERR_DIV0        equ     14h
ERR_ID          equ     16h
ERR_TM          equ     18h
ERR_OS          equ     1Ah
ERR_ST          equ     1Eh
ERR_CN          equ     20h
