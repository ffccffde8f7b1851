/* A pointer for tests under a wlroots compositor: it makes one virtual
 * pointer on the default seat, keeps it alive and moves and presses it on the
 * commands it reads from standard input, one a line.
 *
 *   virtual_pointer WIDTH HEIGHT     the output layout's size in pixels
 *
 * It prints "ready" once the seat has a pointer, and "ok" (or "error ...")
 * after each command once the compositor has handled it, so a test never
 * needs to sleep. Commands:
 *   move X Y      the pointer to X, Y of the layout
 *   down | up     the left button pressed or released
 *   click         down and up
 *   quit          ends (so does the end of the input)
 */

#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

struct state {
    struct wl_seat* seat;
    struct zwlr_virtual_pointer_manager_v1* manager;
    uint32_t capabilities;
};

static void seat_capabilities(void* data, struct wl_seat* seat, uint32_t capabilities) {
    (void)seat;
    ((struct state*)data)->capabilities = capabilities;
}

static void seat_name(void* data, struct wl_seat* seat, const char* name) {
    (void)data;
    (void)seat;
    (void)name;
}

static const struct wl_seat_listener seat_listener = {seat_capabilities, seat_name};

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    struct state* st = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !st->seat) {
        st->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
        wl_seat_add_listener(st->seat, &seat_listener, st);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        st->manager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

static void button(struct zwlr_virtual_pointer_v1* pointer, int pressed) {
    zwlr_virtual_pointer_v1_button(
        pointer, now_ms(), BTN_LEFT,
        pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer);
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: virtual_pointer WIDTH HEIGHT\n");
        return 2;
    }
    const long width = strtol(argv[1], NULL, 10);
    const long height = strtol(argv[2], NULL, 10);
    if (width <= 0 || height <= 0) {
        fprintf(stderr, "virtual_pointer: the size must be positive\n");
        return 2;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtual_pointer: no Wayland display\n");
        return 1;
    }
    struct state st = {0};
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &st);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    if (!st.manager || !st.seat) {
        fprintf(stderr, "virtual_pointer: the compositor has no virtual pointers\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(st.manager, st.seat);
    if (wl_display_roundtrip(display) < 0) return 1;
    /* The seat announces the new device to every client; once it has reached
     * this one, it has reached those connected before. */
    while (!(st.capabilities & WL_SEAT_CAPABILITY_POINTER)) {
        if (wl_display_dispatch(display) < 0) {
            fprintf(stderr, "virtual_pointer: the compositor went away\n");
            return 1;
        }
    }
    printf("ready\n");
    fflush(stdout);

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        long x = 0, y = 0;
        const char* answer = "ok";
        if (sscanf(line, "move %ld %ld", &x, &y) == 2) {
            if (x < 0 || y < 0 || x >= width || y >= height) {
                answer = "error outside the layout";
            } else {
                zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), (uint32_t)x, (uint32_t)y,
                                                        (uint32_t)width, (uint32_t)height);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
        } else if (strcmp(line, "down\n") == 0) {
            button(pointer, 1);
        } else if (strcmp(line, "up\n") == 0) {
            button(pointer, 0);
        } else if (strcmp(line, "click\n") == 0) {
            button(pointer, 1);
            button(pointer, 0);
        } else if (strcmp(line, "quit\n") == 0) {
            break;
        } else {
            answer = "error unknown command";
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "virtual_pointer: the compositor went away\n");
            return 1;
        }
        printf("%s\n", answer);
        fflush(stdout);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(st.manager);
    wl_seat_destroy(st.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
