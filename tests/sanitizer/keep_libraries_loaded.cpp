// Sanitizer builds only: libraries are never unloaded. Mesa closes its driver when GLUT
// closes the display at exit, before LeakSanitizer looks for leaks; a closed library's
// allocations would be reported from an unnamed module that no suppression can match.
extern "C" int dlclose(void*) {
    return 0;
}
