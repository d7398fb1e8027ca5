# The show as a Windows program: C++ runtime, libgcc and winpthread linked
# in, so the archive carries only the libraries' own DLLs.
target_link_options(tangle PRIVATE -static-libgcc -static-libstdc++)
set(CMAKE_CXX_STANDARD_LIBRARIES "-Wl,-Bstatic -lwinpthread -Wl,-Bdynamic ${CMAKE_CXX_STANDARD_LIBRARIES}")
# Reproducible and small: no link time stamp in the PE header, no symbols
# (strip would write a new time stamp).
target_link_options(tangle PRIVATE -Wl,--no-insert-timestamp -s)
target_sources(tangle PRIVATE ${CMAKE_SOURCE_DIR}/src/app/entry_windows.cpp)
