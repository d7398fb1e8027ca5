if(NOT TANGLE_SANITIZE)
  tangle_test(test_capture_driver LABEL gl SOURCES tests/capture_driver_test.cpp LIBS tangle_frame_driver)
  set_tests_properties(test_capture_driver PROPERTIES TIMEOUT 600)
  tangle_test(test_capture_seek LABEL gl SOURCES tests/capture_seek_test.cpp LIBS tangle_render_pixels)
  set_tests_properties(test_capture_seek PROPERTIES TIMEOUT 600)
  # On softpipe, which draws the same state the same way whatever it drew
  # before (llvmpipe does not; see tests/frames.cmake).
  set_property(TEST test_capture_seek APPEND PROPERTY ENVIRONMENT "GALLIUM_DRIVER=softpipe")
  add_test(NAME test_capture_e2e COMMAND ${CMAKE_SOURCE_DIR}/tests/capture_e2e.sh ${CMAKE_BINARY_DIR}/tangle-capture)
  set_tests_properties(test_capture_e2e PROPERTIES LABELS e2e TIMEOUT 900
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/data ENVIRONMENT "SDL_AUDIODRIVER=dummy")
  add_test(NAME test_capture_bad_input COMMAND ${CMAKE_SOURCE_DIR}/tests/capture_bad_input_e2e.sh
    ${CMAKE_BINARY_DIR}/tangle-capture)
  set_tests_properties(test_capture_bad_input PROPERTIES LABELS e2e TIMEOUT 300
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/data ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endif()
tangle_test(test_capture_files LABEL unit SOURCES tests/capture_files_test.cpp LIBS tangle_capture_files)
