# The libraries the web edition links, built for WebAssembly into BRISBLEEP_WEB_DEPS (set by the
# toolchain file).
include_guard(GLOBAL)
include(BrisbleepTargetDeps)
brisbleep_target_deps(web ${BRISBLEEP_WEB_DEPS})
