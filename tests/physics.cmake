# Physics: sheets and their dynamics against a plain reference, the cloud,
# the drawing's rules; the GL side under Xvfb.
tangle_test(test_physics LABEL unit SOURCES
  tests/physics_sheet_test.cpp tests/physics_dynamics_test.cpp tests/physics_oracle.cpp
  tests/physics_cloud_test.cpp tests/physics_look_test.cpp tests/physics_substep_test.cpp tests/parallel_test.cpp
  LINKS tangle_physics)
tangle_test(test_physics_gl LABEL gl SOURCES tests/physics_gl_test.cpp)
