/* A library that is no plug-in: it exports nothing the host looks for. */
#define EXPORT __attribute__((visibility("default")))

EXPORT int SomethingElse(void) {
    return 42;
}
