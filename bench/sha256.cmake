# The signature check's SHA-256 over a file under Wine; scripts/bench-sha256.sh
# runs the host's sha256sum on the same file beside it.
spruce_win_program(sha256_bench sha256_bench.cpp)
