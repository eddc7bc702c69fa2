# Libraries the graphics core needs: FreeType and fontconfig for text,
# HarfBuzz and ICU for right-to-left lines and combining marks, libpng for
# pictures.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KESTRAVA_FONTS REQUIRED IMPORTED_TARGET freetype2 fontconfig harfbuzz icu-uc)
find_package(PNG REQUIRED)
target_link_libraries(kestrava_core PUBLIC PkgConfig::KESTRAVA_FONTS PNG::PNG)
# giflib for GIF pictures; its development package ships no pkg-config file.
find_path(GIF_INCLUDE_DIR gif_lib.h REQUIRED)
find_library(GIF_LIBRARY NAMES gif REQUIRED)
target_include_directories(kestrava_core PUBLIC ${GIF_INCLUDE_DIR})
target_link_libraries(kestrava_core PUBLIC ${GIF_LIBRARY})
