message(FATAL_ERROR "GoogleTest is not installed, so the unit and CLI tests were not built. "
                    "Install it (on Debian: apt-get install libgtest-dev) and configure again.")
