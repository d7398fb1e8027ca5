# Scene timeline and flashes: timing rules and the model-view stack model.
tangle_test(test_scenes_rules LABEL unit SOURCES tests/scenes_rules_test.cpp)
tangle_test(test_scenes_stack LABEL unit SOURCES tests/scenes_stack_test.cpp)
tangle_test(test_scenes_stack_gl LABEL gl SOURCES tests/scenes_stack_gl_test.cpp)
tangle_test(test_scenes_timeline_gl LABEL gl SOURCES tests/scenes_timeline_gl_test.cpp)
tangle_test(test_scenes_picture LABEL gl SOURCES tests/scenes_picture_test.cpp LIBS tangle_frame_driver)
tangle_test(test_scenes_finale LABEL gl SOURCES tests/scenes_finale_test.cpp LIBS tangle_frame_driver)
