# Project-wide warning set; CI turns them into errors with PELLKIT_WERROR.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
                    -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
if(PELLKIT_WERROR)
  add_compile_options(-Werror)
endif()
