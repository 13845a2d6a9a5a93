# The upgrade check shared by Spruce.exe and SpruceUp.exe: the version file's
# pure reader and decisions, and the checker that fetches files over WinINet.
spruce_pure(version_file.cpp)
spruce_native_test(version_file_test.cpp)
spruce_fuzz(version_file_fuzz version_file_fuzz.cpp)
spruce_win(upgrade_checker.cpp download_job.cpp background_flusher.cpp installed_version.cpp)
spruce_win_test(upgrade_tests upgrade_checker_test.cpp testing/scripted_site.cpp)
