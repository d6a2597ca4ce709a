"""Whether a call releases the GIL, shared by the package's tests."""
import threading
import time


def assert_runs_without_the_gil(call):
    """Runs call() on another thread while this one keeps reading the clock:
    the readings cover most of the call. Were the GIL held, they could cover
    one switch interval (5 ms) of a call that takes far longer."""
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
    assert window["end"] - window["start"] > 0.02
    assert inside and inside[-1] - inside[0] > 0.5 * (window["end"] - window["start"])
