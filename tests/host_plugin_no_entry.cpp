// Test fixture: a perfectly good library that exports no VST 2 entry point.
extern "C" {
__attribute__((visibility("default"))) int hostTestUnrelatedFunction() { return 42; }
}
