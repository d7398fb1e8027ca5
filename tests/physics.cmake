# Physics: sheets, their dynamics against a plain reference, the cloud, the
# sheet drawing's rules.
tangle_test(test_physics LABEL unit SOURCES
  tests/physics_sheet_test.cpp tests/physics_dynamics_test.cpp tests/physics_oracle.cpp)
