/* Starts a program and reports how long it took until its first top-level window was mapped,
 * and the program's peak resident memory a moment later.
 *   map_timer [--settle MS] [--timeout MS] -- PROGRAM [ARG...]
 * Prints "MAP_MS PEAK_KIB" on one line. The watcher subscribes to the root window's
 * substructure events before it forks, then blocks on the X connection, so the time is taken
 * when the MapNotify arrives (well under a millisecond after the server maps the window).
 * Peak memory is VmHWM from /proc/PID/status, read after --settle milliseconds (500 by
 * default: the first paint is done) and just before the program is sent SIGTERM. Only the
 * process this watcher started is ever signalled. */
#define _GNU_SOURCE
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static long peak_kib(pid_t pid)
{
    char path[64], line[256];
    long kib = -1;
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE *f = fopen(path, "r");
    if (!f)
        return -1;
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, "VmHWM:", 6) == 0) {
            kib = strtol(line + 6, NULL, 10);
            break;
        }
    }
    fclose(f);
    return kib;
}

static void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, NULL, WNOHANG) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
}

int main(int argc, char **argv)
{
    int settle = 500, timeout = 20000, i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        if (strcmp(argv[i], "--settle") == 0 && i + 1 < argc)
            settle = atoi(argv[++i]);
        else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            timeout = atoi(argv[++i]);
        else {
            fprintf(stderr, "usage: map_timer [--settle MS] [--timeout MS] -- PROGRAM [ARG...]\n");
            return 2;
        }
    }
    if (i + 1 >= argc) {
        fprintf(stderr, "map_timer: no program given\n");
        return 2;
    }
    char **program = argv + i + 1;

    xcb_connection_t *x = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(x)) {
        fprintf(stderr, "map_timer: cannot open the display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_generic_error_t *error = xcb_request_check(x, xcb_change_window_attributes_checked(x, root, XCB_CW_EVENT_MASK, &mask));
    if (error) {
        fprintf(stderr, "map_timer: cannot watch the root window\n");
        return 2;
    }

    const double start = now_ms();
    const pid_t pid = fork();
    if (pid < 0) {
        perror("map_timer: fork");
        return 2;
    }
    if (pid == 0) {
        close(xcb_get_file_descriptor(x));
        execvp(program[0], program);
        perror("map_timer: exec");
        _exit(127);
    }

    double mapped = -1;
    struct pollfd wait = {xcb_get_file_descriptor(x), POLLIN, 0};
    while (mapped < 0) {
        xcb_generic_event_t *event;
        while ((event = xcb_poll_for_event(x)) != NULL) {
            const xcb_map_notify_event_t *map = (const xcb_map_notify_event_t *)event;
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && map->event == root && !map->override_redirect)
                mapped = now_ms();
            free(event);
            if (mapped >= 0)
                break;
        }
        if (mapped >= 0)
            break;
        if (waitpid(pid, NULL, WNOHANG) == pid) { /* ended: nothing left to stop */
            fprintf(stderr, "map_timer: %s ended without a window\n", program[0]);
            return 1;
        }
        const int left = (int)(start + timeout - now_ms());
        if (left <= 0) {
            fprintf(stderr, "map_timer: %s showed no window\n", program[0]);
            stop(pid);
            return 1;
        }
        if (poll(&wait, 1, left < 50 ? left : 50) < 0 && errno != EINTR)
            break;
        if (xcb_connection_has_error(x))
            break;
    }
    if (mapped < 0) {
        stop(pid);
        return 1;
    }
    usleep((useconds_t)settle * 1000);
    const long kib = peak_kib(pid);
    stop(pid);
    xcb_disconnect(x);
    printf("%.2f %ld\n", mapped - start, kib);
    return 0;
}
