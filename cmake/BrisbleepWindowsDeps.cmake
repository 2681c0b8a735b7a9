# The libraries the Windows deliverables link statically, built for the target into
# BRISBLEEP_WINDOWS_DEPS (set by the toolchain file).
include_guard(GLOBAL)
include(BrisbleepTargetDeps)
brisbleep_target_deps(windows ${BRISBLEEP_WINDOWS_DEPS})

# Test programs and the validator run under Wine, with a prefix inside the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-run.sh ${PROJECT_BINARY_DIR})
