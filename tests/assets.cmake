# The show's data: every file the show loads is there, decodes and meets the
# quality bars; the pictures regenerate byte for byte.
tangle_test(test_assets LABEL unit SOURCES tests/assets_test.cpp LIBS tangle_asset_images)
# The music generator's parts: notes, mixing into loops, the master chain.
tangle_test(test_assets_synth LABEL unit SOURCES tests/assets_synth_test.cpp LIBS tangle_asset_music)
