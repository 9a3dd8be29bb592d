/* The program's icon as PNG images of 16 to 256 pixels (resources/icon); the build gives the assembler that
 * folder to search. Each image is bracketed by a begin and an end symbol. */
    .section .rodata.vlm_app_icon, "a"
    .globl vlm_app_icon_16_begin
    .globl vlm_app_icon_16_end
vlm_app_icon_16_begin:
    .incbin "Velmora-16.png"
vlm_app_icon_16_end:
    .globl vlm_app_icon_24_begin
    .globl vlm_app_icon_24_end
vlm_app_icon_24_begin:
    .incbin "Velmora-24.png"
vlm_app_icon_24_end:
    .globl vlm_app_icon_32_begin
    .globl vlm_app_icon_32_end
vlm_app_icon_32_begin:
    .incbin "Velmora-32.png"
vlm_app_icon_32_end:
    .globl vlm_app_icon_48_begin
    .globl vlm_app_icon_48_end
vlm_app_icon_48_begin:
    .incbin "Velmora-48.png"
vlm_app_icon_48_end:
    .globl vlm_app_icon_64_begin
    .globl vlm_app_icon_64_end
vlm_app_icon_64_begin:
    .incbin "Velmora-64.png"
vlm_app_icon_64_end:
    .globl vlm_app_icon_128_begin
    .globl vlm_app_icon_128_end
vlm_app_icon_128_begin:
    .incbin "Velmora-128.png"
vlm_app_icon_128_end:
    .globl vlm_app_icon_256_begin
    .globl vlm_app_icon_256_end
vlm_app_icon_256_begin:
    .incbin "Velmora-256.png"
vlm_app_icon_256_end:

    .section .note.GNU-stack, "", @progbits
