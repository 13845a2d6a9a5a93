# The hard-disk optimizer against a bare walk and a bare deletion loop. The
# dialog template comes with the resource script.
spruce_win_program(disk_bench disk_bench.cpp ../resources/spruce.rc)
# What the link-safe delete costs against DeleteFileA and the other options.
spruce_win_program(link_delete_bench link_delete_bench.cpp)
