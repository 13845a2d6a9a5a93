# The updater's download (window and hooks included) against a bare WinINet
# loop; scripts/bench-upgrade.sh adds curl on the same local server.
spruce_win_program(upgrade_bench upgrade_bench.cpp ../updater/updater.rc)
