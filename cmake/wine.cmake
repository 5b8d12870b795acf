# Which Wine loader runs this tree's Windows programs here, included by the
# MinGW-w64 toolchain files. Debian's /usr/bin/wine always picks the 32-bit
# loader once wine32 is installed, which cannot start where the kernel runs
# no i386 code and which puts a 64-bit program behind start.exe: each tree
# names its own loader, and WINELOADER tells Wine's children the same.
#
#   tallynix_wine_emulator(wine64)   or   tallynix_wine_emulator(wine)
#
# sets CMAKE_CROSSCOMPILING_EMULATOR when that loader runs here (not at all
# otherwise: the tree is then compiled and linked only) and
# TALLYNIX_WINE_PREFIX_TAG, "wow64" when 32-bit Wine runs here and "win64"
# when it does not: a prefix made before wine32 came is not a WoW64 prefix,
# so prefix directories carry the tag and are made again when it changes.
function(tallynix_wine_emulator name)
  find_program(TALLYNIX_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
  set(tag win64)
  if(TALLYNIX_WINE32)
    execute_process(COMMAND ${TALLYNIX_WINE32} --version RESULT_VARIABLE status
                    OUTPUT_QUIET ERROR_QUIET)
    if(status EQUAL 0)
      set(tag wow64)
    endif()
  endif()
  set(TALLYNIX_WINE_PREFIX_TAG ${tag} PARENT_SCOPE)

  find_program(TALLYNIX_LOADER_${name} NAMES ${name} PATHS /usr/lib/wine NO_DEFAULT_PATH)
  if(NOT TALLYNIX_LOADER_${name} AND name STREQUAL "wine64")
    find_program(TALLYNIX_LOADER_${name} NAMES wine64 wine)
  endif()
  set(loader ${TALLYNIX_LOADER_${name}})
  if(loader AND (name STREQUAL "wine64" OR tag STREQUAL "wow64"))
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINELOADER=${loader} ${loader} PARENT_SCOPE)
  endif()
endfunction()
