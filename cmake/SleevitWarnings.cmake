# Per-target warning flags: sleevit_warnings(<target>) makes a target build with the
# project's warnings, as errors when SLEEVIT_WERROR is on.
function(sleevit_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                         -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align -Wformat=2)
  if(SLEEVIT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
