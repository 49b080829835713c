/*
 * An oFono plugin for the test modem only: it tells oFono that the
 * simulated modem's SIM has finished its own start-up.
 *
 * Since oFono 1.22 the core, after a correct PIN or PUK, waits for the modem
 * driver to call ofono_sim_initialized_notify() before it reads the PIN state
 * again. Hardware drivers call it when their module reports the card ready;
 * the phonesim plugin never does, so without this the SIM would stay "pin"
 * forever. oFono offers plugins no watch on modems, so a timer looks for the
 * modem every 50 ms and calls the function while its SIM is inserted or
 * locked out; while the core is not waiting, the call sends nothing to the
 * modem (its command log shows no extra PIN state reads).
 */
#define OFONO_API_SUBJECT_TO_CHANGE
#include <glib.h>
#include <string.h>

#include <ofono/modem.h>
#include <ofono/plugin.h>
#include <ofono/sim.h>

static guint timer;

static ofono_bool_t is_simulated(struct ofono_modem* modem, void* path)
{
    return strcmp(ofono_modem_get_path(modem), path) == 0;
}

static gboolean check(gpointer unused)
{
    struct ofono_modem* modem = ofono_modem_find(is_simulated, "/phonesim");
    struct ofono_sim* sim = modem ? ofono_modem_get_sim(modem) : NULL;
    enum ofono_sim_state state;

    if (sim) {
        state = ofono_sim_get_state(sim);
        if (state == OFONO_SIM_STATE_INSERTED || state == OFONO_SIM_STATE_LOCKED_OUT)
            ofono_sim_initialized_notify(sim);
    }
    return G_SOURCE_CONTINUE;
}

static int simready_init(void)
{
    timer = g_timeout_add(50, check, NULL);
    return 0;
}

static void simready_exit(void)
{
    g_source_remove(timer);
}

OFONO_PLUGIN_DEFINE(simready, "Test modem SIM start-up", OFONO_VERSION, OFONO_PLUGIN_PRIORITY_DEFAULT,
    simready_init, simready_exit)
