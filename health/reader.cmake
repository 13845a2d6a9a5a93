# The S.M.A.R.T. reader: wire formats, names and verdicts, the reader behind
# the drive-command seam, and the system's own drive commands.
spruce_pure(smart_data.cpp smart_reader.cpp)
spruce_native_test(smart_data_test.cpp smart_reader_test.cpp)
spruce_fuzz(smart_data_fuzz smart_data_fuzz.cpp)
# The emulated ATA drives are test and demo code: compiled into the tests
# that use them and the demo program, never into spruce_core.
spruce_native_test(emulated_ata_drive.cpp)
