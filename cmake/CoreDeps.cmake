# Libraries the graphics core needs: FreeType and fontconfig for text,
# ICU for character classes and right-to-left lines, libpng for pictures.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KESTRAVA_FONTS REQUIRED IMPORTED_TARGET freetype2 fontconfig icu-uc)
find_package(PNG REQUIRED)
target_link_libraries(kestrava_core PUBLIC PkgConfig::KESTRAVA_FONTS PNG::PNG)
