/* The built editor page, carried inside the binary; the build passes its path as VLM_EDITOR_PAGE. */
    .section .rodata.vlm_editor_page, "a"
    .balign 16
    .globl vlm_editor_page_begin
    .globl vlm_editor_page_end
    .type vlm_editor_page_begin, @object
vlm_editor_page_begin:
    .incbin VLM_EDITOR_PAGE
vlm_editor_page_end:
    .byte 0 /* a terminator, so the page can also be handed over as one C string */
    .size vlm_editor_page_begin, vlm_editor_page_end - vlm_editor_page_begin

    .section .note.GNU-stack, "", @progbits
