// link_bench [RUNS]: wall time of "Connect & Get" and "Connect & Set" against the
// virtual printer on COM5 at 9600 bps, as a ratio to the protocol's own floor.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "link/tests/e2e_support.h"
#include "res/resource.h"
#include "testing/stopwatch.h"

namespace {

using tq350::bench::now_ms;

using namespace tq350::e2e;

// Wake-up 2.5 s, close 0.3 s, and every byte both ways at 10 bits a byte.
double floor_ms(int bytes, int bps) {
    return 2500.0 + 300.0 + 1000.0 * 10.0 * bytes / bps;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Clicks a button and returns the milliseconds until the program's thread is free again.
double timed_click(const Program& program, int id) {
    program.sync();
    const double begin = now_ms();
    program.click(id);
    // The first sync may be answered before the click is taken; the second waits it out.
    program.sync();
    program.sync();
    return now_ms() - begin;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? atoi(argv[1]) : 5;
    delete_settings();
    store_setting("COM Port", 5);
    store_setting("COM Speed", 9600);
    Program program;
    if (!program.started()) {
        fprintf(stderr, "the program did not start\n");
        return 1;
    }
    std::vector<double> get, set;
    for (int i = 0; i < runs; ++i) {
        get.push_back(timed_click(program, IDC_CONNECT_GET));
        if (program.message_box() || !program.enabled(IDC_CONNECT_SET)) {
            fprintf(stderr, "Connect & Get failed\n");
            return 1;
        }
        set.push_back(timed_click(program, IDC_CONNECT_SET));
        program.sync(); // the query Connect & Set clicks afterwards
        program.sync();
        if (program.message_box()) {
            fprintf(stderr, "Connect & Set failed\n");
            return 1;
        }
    }
    // Get: greeting 3 + requests 7 + 2 + 2 out, 32 + 2 + 1 back. Set: greeting 3 + 46 out.
    const double get_floor = floor_ms(3 + 7 + 2 + 2 + 32 + 2 + 1, 9600);
    const double set_floor = floor_ms(3 + 46, 9600);
    printf("Connect & Get: %.0f ms, floor %.0f ms, ratio %.3f (median of %d)\n", median(get),
           get_floor, median(get) / get_floor, runs);
    printf("Connect & Set: %.0f ms, floor %.0f ms, ratio %.3f (median of %d)\n", median(set),
           set_floor, median(set) / set_floor, runs);
    delete_settings();
    return 0;
}
