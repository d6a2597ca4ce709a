"""Whether a call releases the GIL, shared by the package's tests."""
import threading
import time


def readings_cover(call):
    """Runs call() on another thread while this one keeps reading the clock;
    returns the call's duration and the span of the readings within it."""
    window = {}

    def work():
        window["start"] = time.perf_counter()
        call()
        window["end"] = time.perf_counter()

    worker = threading.Thread(target=work)
    seen = []
    worker.start()
    while worker.is_alive():
        seen.append(time.perf_counter())
    worker.join()
    inside = [t for t in seen if window["start"] < t < window["end"]]
    return window["end"] - window["start"], inside[-1] - inside[0] if inside else 0.0


def assert_runs_without_the_gil(call):
    """The readings of the clock on this thread cover most of the call on
    another. Were the GIL held, they could cover one switch interval (5 ms)
    of a call that takes far longer. A machine busy with other work may
    leave this thread unscheduled for a while: three tries, one must show
    it."""
    for _ in range(3):
        duration, covered = readings_cover(call)
        assert duration > 0.02
        if covered > 0.5 * duration:
            return
    assert covered > 0.5 * duration, (covered, duration)
