// Keeps the support library non-empty until its builders arrive.
namespace kalvento::test {
int support_library_anchor() { return 0; }
}  // namespace kalvento::test
