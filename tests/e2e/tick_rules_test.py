"""tick_rules.py on simulated programs: one that keeps the rules passes whatever the host's delays,
and each way of breaking them is caught. Usage: tick_rules_test.py"""
import contextlib
import io
import math
import os
import random
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tick_rules  # noqa: E402

PERIOD = 15.625


def simulate(seconds=5, phase=3.0, delays=lambda rng: 0.3, turn_length=lambda rng: 0.4, catch_up=False,
             lose_every=0, wait_extra=0.0, seed=1):
    """A program with one timer driven by a host that wakes it late by delays(rng); its turns
    last turn_length(rng). The faults: catching up missed ticks, losing every n-th due tick,
    asking to wake later than the next grid point."""
    rng = random.Random(seed)
    turns, requests = [], []
    next_due = phase + PERIOD
    now = phase
    wake = now
    due_count = 0
    while now < seconds * 1000:
        requested = max(next_due, now) + wait_extra
        requests.append({"at": now, "delay": math.ceil(requested - now)})
        wake = max(now, math.ceil(requested - now) + now + delays(rng))
        start = wake
        ticks = 0
        time = start
        while next_due <= time:
            due_count += 1
            if lose_every and due_count % lose_every == 0:
                next_due = phase + PERIOD * (math.floor((time - phase) / PERIOD) + 1)
                continue
            ticks += 1
            time += turn_length(rng)
            if catch_up:
                next_due += PERIOD
            else:
                next_due = phase + PERIOD * (math.floor((time - phase) / PERIOD) + 1)
        turns.append({"start": start, "end": max(time, start + 0.05), "ticks": {"frames": ticks}})
        now = turns[-1]["end"]
    return {"period": PERIOD, "resolution": 0.2, "timers": {"frames": 1}, "turns": turns, "requests": requests}


def problems(record, with_requests=True):
    if not with_requests:
        record = dict(record, requests=None)
    with contextlib.redirect_stdout(io.StringIO()):
        return tick_rules.check(record)


def loaded_host(rng):
    """Mostly on time, now and then a stall of up to 80 ms."""
    return rng.expovariate(1 / 40) if rng.random() < 0.1 else rng.uniform(0, 2)


class RulesKept(unittest.TestCase):
    def test_an_idle_host(self):
        self.assertEqual(problems(simulate()), [])

    def test_a_loaded_host_with_long_turns(self):
        record = simulate(delays=loaded_host, turn_length=lambda rng: rng.uniform(0.2, 25))
        self.assertEqual(problems(record), [])
        self.assertEqual(problems(record, with_requests=False), [])


class RulesBroken(unittest.TestCase):
    def test_catching_up_after_a_stall(self):
        self.assertTrue(problems(simulate(delays=loaded_host, catch_up=True)))

    def test_a_tick_lost(self):
        self.assertTrue(problems(simulate(lose_every=50)))

    def test_waiting_a_period_too_long(self):
        record = simulate(wait_extra=PERIOD)
        self.assertTrue(problems(record))
        self.assertTrue(problems(record, with_requests=False))


if __name__ == "__main__":
    unittest.main()
