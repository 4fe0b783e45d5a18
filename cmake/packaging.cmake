# What is installed, and the packages CPack makes of it with
# `cmake --build BUILD --target package`: a Debian package on Linux, a zip for
# Windows.

set(CPACK_PACKAGE_NAME quillfix)
set(CPACK_PACKAGE_VENDOR "the quillfix authors")
set(CPACK_PACKAGE_CONTACT
    "the quillfix authors <maintainers@users.noreply.c-seed-e87460f9.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "lays out C, C++ and Java source files in one fixed form")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "quillfix re-lays out one C, C++ or Java source file into a fixed form:\n"
  "one statement per line, braces on lines of their own (a closing brace\n"
  "before a semicolon stays with it), indentation by brace depth. Comments\n"
  "and literals are copied as they stand, preprocessor lines are indented\n"
  "like the lines around them, and only blanks, tabs and line feeds\n"
  "change, so the result reads as the same tokens as the source. Sources\n"
  "in UTF-16 and UTF-32 are sorted in their own encoding. The result is\n"
  "printed, and saved on request without ever leaving a half-written\n"
  "file.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

# Writes `input` to `output` with CR LF line ends.
function(copy_with_crlf input output)
  file(READ "${input}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${output}" "${text}")
endfunction()

# Writes `input` to `output` compressed, without a time stamp.
function(add_gzip_target name input output)
  add_custom_command(OUTPUT "${output}"
    COMMAND gzip -9nc "${input}" > "${output}"
    DEPENDS "${input}")
  add_custom_target(${name} ALL DEPENDS "${output}")
endfunction()

if(WIN32)
  set(windows "${PROJECT_BINARY_DIR}/windows")
  copy_with_crlf("${PROJECT_SOURCE_DIR}/LICENSE" "${windows}/LICENSE.txt")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/README-windows.txt"
                 "${windows}/README.txt" @ONLY NEWLINE_STYLE CRLF)
  file(GLOB examples "${PROJECT_SOURCE_DIR}/examples/*")
  foreach(example ${examples})
    get_filename_component(name "${example}" NAME)
    copy_with_crlf("${example}" "${windows}/examples/${name}")
  endforeach()
  install(TARGETS quillfix RUNTIME DESTINATION .)
  # git quillfix: Git for Windows runs the script (its bash) when the folder is
  # on PATH.
  install(PROGRAMS "${PROJECT_SOURCE_DIR}/contrib/git-quillfix" DESTINATION .)
  install(FILES "${windows}/LICENSE.txt" "${windows}/README.txt" DESTINATION .)
  install(DIRECTORY "${windows}/examples" DESTINATION .)
  # The editor packages and the git hook, in the folders of the tree.
  install(FILES "${PROJECT_SOURCE_DIR}/editors/vim/plugin/quillfix.vim"
          DESTINATION editors/vim/plugin)
  install(FILES "${PROJECT_SOURCE_DIR}/editors/vim/doc/quillfix.txt"
          DESTINATION editors/vim/doc)
  install(FILES "${PROJECT_SOURCE_DIR}/editors/emacs/quillfix.el"
          DESTINATION editors/emacs)
  install(PROGRAMS "${PROJECT_SOURCE_DIR}/contrib/git-pre-commit"
          DESTINATION contrib)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "quillfix-${PROJECT_VERSION}-win64")
else()
  set(docs "${CMAKE_INSTALL_DOCDIR}")
  set(manual "${PROJECT_BINARY_DIR}/quillfix.1.gz")
  set(gitManual "${PROJECT_BINARY_DIR}/git-quillfix.1.gz")
  set(changelog "${PROJECT_BINARY_DIR}/changelog.gz")
  set(debianChangelog "${PROJECT_BINARY_DIR}/changelog.Debian.gz")
  set(readme "${PROJECT_BINARY_DIR}/README.md.gz")
  add_gzip_target(manual "${PROJECT_SOURCE_DIR}/doc/quillfix.1" "${manual}")
  add_gzip_target(git_manual "${PROJECT_SOURCE_DIR}/doc/git-quillfix.1"
    "${gitManual}")
  add_gzip_target(changelog "${PROJECT_SOURCE_DIR}/CHANGELOG.md" "${changelog}")
  add_gzip_target(readme "${PROJECT_SOURCE_DIR}/README.md" "${readme}")
  add_gzip_target(debian_changelog
    "${PROJECT_SOURCE_DIR}/packaging/changelog.Debian" "${debianChangelog}")
  # Built with the program, so that `cmake --install` works after a build of
  # the program alone.
  add_dependencies(quillfix manual git_manual changelog readme
    debian_changelog)

  # Debian's machine-readable copyright file, the license text indented.
  file(READ "${PROJECT_SOURCE_DIR}/LICENSE" license)
  string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" license "${license}")
  string(REGEX REPLACE "\n$" "" license "${license}")
  string(REPLACE "\n\n" "\n.\n" license "${license}")
  string(REPLACE "\n" "\n " license " ${license}")
  file(WRITE "${PROJECT_BINARY_DIR}/copyright"
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: quillfix\n"
    "Upstream-Contact: ${CPACK_PACKAGE_CONTACT}\n\n"
    "Files: *\n"
    "Copyright: 2026 the quillfix authors\n"
    "License: Expat\n\n"
    "License: Expat\n${license}\n")

  install(TARGETS quillfix RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  # Beside quillfix, so that git finds it on PATH as `git quillfix`.
  install(PROGRAMS "${PROJECT_SOURCE_DIR}/contrib/git-quillfix"
          DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(FILES "${manual}" "${gitManual}"
          DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  # The README, which the man page sends readers to, with the copyright and
  # the changelog.
  install(FILES "${PROJECT_BINARY_DIR}/copyright" "${changelog}" "${readme}"
          DESTINATION "${docs}")
  # Debian's own changelog belongs in the Debian package alone: a plain
  # install leaves its component out, the package takes it in.
  install(FILES "${debianChangelog}" DESTINATION "${docs}"
          COMPONENT debian EXCLUDE_FROM_ALL)

  # The tools people use, where each looks: bash-completion by the command's
  # name; Vim's add-ons with their registry entry (vim-addon-manager enables
  # them); Neovim's site folder, read at every start; Emacs's site-lisp, whose
  # subfolders Debian puts on the load path; the git hook, to be copied.
  set(data "${CMAKE_INSTALL_DATADIR}")
  install(FILES "${PROJECT_SOURCE_DIR}/completion/quillfix.bash"
          DESTINATION "${data}/bash-completion/completions" RENAME quillfix)
  install(FILES "${PROJECT_SOURCE_DIR}/editors/vim/plugin/quillfix.vim"
          DESTINATION "${data}/vim/addons/plugin")
  install(FILES "${PROJECT_SOURCE_DIR}/editors/vim/doc/quillfix.txt"
          DESTINATION "${data}/vim/addons/doc")
  install(FILES "${PROJECT_SOURCE_DIR}/editors/vim/registry/quillfix.yaml"
          DESTINATION "${data}/vim/registry")
  install(FILES "${PROJECT_SOURCE_DIR}/editors/vim/plugin/quillfix.vim"
          DESTINATION "${data}/nvim/site/plugin")
  install(FILES "${PROJECT_SOURCE_DIR}/editors/emacs/quillfix.el"
          DESTINATION "${data}/emacs/site-lisp/quillfix")
  install(PROGRAMS "${PROJECT_SOURCE_DIR}/contrib/git-pre-commit"
          DESTINATION "${data}/quillfix")

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Unspecified debian)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # vim-addon-manager enables the Vim plugin (Neovim, Emacs and
  # bash-completion find theirs by themselves).
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS vim-addon-manager)
endif()

include(CPack)
