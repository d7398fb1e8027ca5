# Physics: sheets and their dynamics against a plain reference, the cloud,
# the drawing's rules; the GL side under Xvfb.
tangle_test(test_physics LABEL unit SOURCES
  tests/physics_sheet_test.cpp tests/physics_dynamics_test.cpp tests/physics_oracle.cpp
  tests/physics_cloud_test.cpp tests/physics_look_test.cpp tests/physics_substep_test.cpp)
tangle_test(test_physics_gl LABEL gl SOURCES tests/physics_gl_test.cpp)
# The clock (demo_time) only comes in through the subsystem group, after the
# player library was scanned; pull the player in from the start.
if(TARGET test_physics_gl)
  target_link_options(test_physics_gl PRIVATE -Wl,--undefined=_Z10music_initv)
endif()
