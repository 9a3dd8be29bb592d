# Build-time step: the editor page must have been built before the binaries that carry it. Copies it next to
# the assembler source's object (touching the copy only when the page changed).
if(NOT EXISTS "${PAGE}")
  message(FATAL_ERROR "The editor page ${PAGE} is missing: build it first with scripts/build-webui.sh "
                      "(scripts/build.sh does this when webui/package.json exists).")
endif()
file(SIZE "${PAGE}" size)
if(size EQUAL 0)
  message(FATAL_ERROR "The editor page ${PAGE} is empty: rebuild it with scripts/build-webui.sh.")
endif()
file(COPY_FILE "${PAGE}" "${OUT}" ONLY_IF_DIFFERENT)
