// tsdriver: starts Tessaline.exe, answers its message boxes and says how it ended.
//   tsdriver [--winver V] [--press ok|cancel|yes|no] [--keep-running] [--timeout MS] EXE [ARGUMENT TEXT]
// Prints one line per event: "box<TAB>title<TAB>icon<TAB>text<TAB>buttons", "agent<TAB>running",
// "exit<TAB>code".
#include "tools/driver/driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    tsdriver::RunOptions options;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
        if (!strcmp(argv[i], "--winver") && i + 1 < argc)
            options.winVersion = argv[++i];
        else if (!strcmp(argv[i], "--timeout") && i + 1 < argc)
            options.timeoutMs = strtoul(argv[++i], nullptr, 10);
        else if (!strcmp(argv[i], "--keep-running"))
            options.closeAgent = false;
        else if (!strcmp(argv[i], "--press") && i + 1 < argc) {
            const char* b = argv[++i];
            options.button = !strcmp(b, "cancel") ? IDCANCEL
                             : !strcmp(b, "yes")  ? IDYES
                             : !strcmp(b, "no")   ? IDNO
                                                  : IDOK;
        } else {
            fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (i >= argc) {
        fprintf(stderr,
                "usage: tsdriver [--winver V] [--press B] [--keep-running] [--timeout MS] EXE [ARGS]\n");
        return 2;
    }
    options.exe = argv[i++];
    for (; i < argc; ++i)
        options.args += (options.args.empty() ? "" : " ") + std::string(argv[i]);

    tsdriver::RunResult result = tsdriver::Run(options);
    for (const auto& box : result.boxes)
        printf("box\t%s\t%s\t%s\t%s\n", box.title.c_str(), box.icon.c_str(),
               tsdriver::OneLine(box.text).c_str(), box.buttons.c_str());
    if (result.agentSeen) printf("agent\trunning\n");
    if (result.timedOut) printf("timeout\n");
    if (result.exited) printf("exit\t%lu\n", result.exitCode);
    return result.timedOut ? 1 : 0;
}
