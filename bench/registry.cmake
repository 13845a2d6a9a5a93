# The registry optimizer's benchmark (scripts/bench-registry.sh runs it). It
# opens the optimization dialog, so it carries the program's resources.
spruce_win_program(registry_bench registry_bench.cpp ../resources/spruce.rc)
