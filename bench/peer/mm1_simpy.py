#!/usr/bin/env python3
"""The M/M/1 benchmark work (arrival rate 0.9, service rate 1.0, time-averaged number in system)
written in the usual process style of a Python discrete-event library, for a peer row in the
benchmark table. Counts two events per customer (its arrival and its service completion), as
our simulator counts two firings.

    mm1_simpy.py EVENTS [SEED]
Prints "events N cpu S mean M".
"""
import random
import sys
import time

import simpy


def main():
    events = int(float(sys.argv[1])) if len(sys.argv) > 1 else 1000000
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 31415)
    env = simpy.Environment()
    server = simpy.Resource(env, capacity=1)
    state = {"n": 0, "last": 0.0, "area": 0.0, "events": 0}

    def change(delta):
        state["area"] += state["n"] * (env.now - state["last"])
        state["last"] = env.now
        state["n"] += delta
        state["events"] += 1

    def customer():
        change(+1)
        with server.request() as req:
            yield req
            yield env.timeout(rng.expovariate(1.0))
        change(-1)

    def arrivals():
        while True:
            yield env.timeout(rng.expovariate(0.9))
            env.process(customer())

    env.process(arrivals())
    start = time.process_time()
    while state["events"] < events:
        env.step()
    cpu = time.process_time() - start
    mean = state["area"] / state["last"] if state["last"] > 0 else 0.0
    print(f"events {state['events']} cpu {cpu:.6f} mean {mean:.6f}")


if __name__ == "__main__":
    main()
