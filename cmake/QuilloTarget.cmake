# Compiler settings shared by every target of ours.
function(quillo_target_defaults target)
  if(QUILLO_FUZZ)
    # The fuzzing build is a search for faults, not the warnings gate (that is
    # the gcc build): clang's own warnings do not stop it.
    target_compile_options(${target} PRIVATE -Wall -Wextra -fsanitize=fuzzer-no-link,address,undefined
                                             -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                               QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
  if(QUILLO_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# A static library for one layer of the program.
function(quillo_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  quillo_target_defaults(${target})
endfunction()
