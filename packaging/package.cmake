# The Debian package (scripts/package): CPack's DEB generator over `cmake --install`.
# The libraries' dependencies come from dpkg-shlibdeps; what the program loads at run
# time by name (the MP3 encoder, GStreamer's plugins, Qt's platform and SVG plugins)
# is listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME chorvane)
set(CPACK_PACKAGE_VENDOR "The Chorvane developers")
set(CPACK_PACKAGE_CONTACT "The Chorvane developers <support@chorvane.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "karaoke recorder: sing along and record every take as an MP3")
set(CPACK_PACKAGE_DESCRIPTION
    "Chorvane plays an accompaniment (MP3, WAV, WMA or a video), scrolls its LRC lyrics, shows a\n"
    "spectrum meter of the recording source and records every take into an MP3 in the Music\n"
    "folder. Each take is kept in the history.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://chorvane.example.org/)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libmp3lame0, qt6-qpa-plugins, libqt6svg6, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, gstreamer1.0-pulseaudio")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, xdg-user-dirs, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gstreamer1.0-plugins-bad")
# Only the program, never the tests or benchmarks: they have no install rules. Installing
# and packing build nothing (scripts/package builds first), so the desktop tests can pack
# the tree they test without building the rest of it again.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
