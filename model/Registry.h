#pragma once
// Fills the class registry with the screen-object classes that project files
// create by name. Safe to call more than once.
void RegisterModelClasses();
