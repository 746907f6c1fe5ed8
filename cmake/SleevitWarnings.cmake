# Per-target warning flags: sleevit_warnings(<target>) makes a target build with the
# project's warnings, as errors when SLEEVIT_WERROR is on.
function(sleevit_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                         -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align -Wformat=2)
  # GCC 12 reports -Wrestrict for plain std::string concatenation at -O3, a known false
  # positive of that release.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(SLEEVIT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
