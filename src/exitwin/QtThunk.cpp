#include "exitwin/QtThunk.h"

#if defined(_WIN32) && defined(__i386__)
// QT_Thunk enters the 16-bit function whose 16:16 address is in EDX with the bytes between ESP and
// EBP-0x40 copied to the 16-bit stack, and takes the 0x40 bytes below the caller's frame pointer
// for its own scratch space: nothing the caller needs back may lie there. So the 66-byte area
// comes first, right below the frame, and the registers this function must keep are saved below
// it, at EBP-70 ... EBP-78, out of the thunk's reach. The arguments go below those; whatever of
// them the 16-bit function does not pop is dropped by resetting ESP from EBP.
asm(R"(
    .text
    .p2align 4
    .globl _OrvantaQtThunkCall
_OrvantaQtThunkCall:
    pushl %ebp
    movl  %esp, %ebp
    subl  $66, %esp             # the area: EBP-66 up to EBP
    movw  16(%ebp), %ax         # its first word: the instance handle
    movw  %ax, (%esp)
    pushl %ebx
    pushl %esi
    pushl %edi
    movl  24(%ebp), %ecx        # the arguments, as the 16-bit stack will hold them
    subl  %ecx, %esp
    movl  20(%ebp), %esi
    movl  %esp, %edi
    cld
    rep movsb
    movl  12(%ebp), %edx        # the 16:16 target
    call  *8(%ebp)              # QT_Thunk
    leal  -78(%ebp), %esp
    popl  %edi
    popl  %esi
    popl  %ebx
    movl  %ebp, %esp
    popl  %ebp
    ret
)");
#endif
