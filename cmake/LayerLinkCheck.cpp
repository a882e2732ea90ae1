// Linked with the whole of one core layer and only the layers below it (see
// core/CMakeLists.txt), or with the whole server and only the layers it uses
// (server/CMakeLists.txt). It does nothing when run: that it links is the check.
int main()
{
    return 0;
}
