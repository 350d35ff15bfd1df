#!/usr/bin/env python3
"""Hostile clients against devhttpd, for the web benchmark.

  hostile.py PORT PID COUNT   sends COUNT requests of the kinds a hostile page or
                              host can send, then prints devhttpd's RSS
  hostile.py PORT PID crowd   opens 1000 idle and 200 slow connections and
                              prints the slowest of 50 heart_beats beside them
Prints one line "HOSTILE key=value ...".
"""
import resource
import socket
import sys
import threading
import time

HEART_BEAT = b'{"funccode":"heart_beat"}'


def post(path, body, extra=b""):
    return (b"POST " + path + b" HTTP/1.1\r\nHost: h\r\nContent-Type: text/plain\r\n" + extra +
            b"Content-Length: " + str(len(body)).encode() + b"\r\n\r\n" + body)


def nested(depth):
    return b"[" * depth + b"]" * depth


def kinds(port):
    api = b"/api/call_method/heart_beat"
    absolute = b"http://127.0.0.1:" + str(port).encode() + api
    head = b"POST " + api + b" HTTP/1.1\r\nHost: h\r\n"
    return [
        (post(api, nested(211)), True),
        (post(api, nested(1000)), True),
        (head + b"Content-Length: 16777216\r\n\r\n", True),
        (head + b"Content-Length: 26\r\nContent-Length: 25\r\n\r\n" + HEART_BEAT, True),
        (head + b"Content-Length: 25\r\nTransfer-Encoding: chunked\r\n\r\n19\r\n" + HEART_BEAT +
         b"\r\n0\r\n\r\n", True),
        (head + b"Content-Length: 100\r\n\r\n" + HEART_BEAT, False),
        (head + b"X-Long: " + b"x" * 9000 + b"\r\n\r\n", True),
        (post(absolute, HEART_BEAT), True),
        (b"GET /../../etc/hostname HTTP/1.1\r\nHost: h\r\n\r\n", True),
        (b"GET /%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\nHost: h\r\n\r\n", True),
        (b"GARBAGE\r\n\r\n", True),
    ]


def exchange(port, data, wait_reply):
    s = socket.create_connection(("127.0.0.1", port), timeout=5)
    try:
        s.sendall(data)
        s.shutdown(socket.SHUT_WR)
        while wait_reply:
            if not s.recv(65536):
                break
    except OSError:
        pass
    finally:
        s.close()


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def hostile(port, pid, count):
    cases = kinds(port)
    deep = post(b"/api/call_method/heart_beat", nested(100000))
    start = time.time()
    for i in range(count):
        if i % 500 == 0:
            exchange(port, deep, True)
        else:
            data, wait_reply = cases[i % len(cases)]
            exchange(port, data, wait_reply)
    print(f"HOSTILE requests={count} seconds={time.time() - start:.1f} rss_kib={rss_kib(pid)}")


def heart_beat_us(port):
    s = socket.create_connection(("127.0.0.1", port), timeout=5)
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    begin = time.perf_counter()
    s.sendall(post(b"/api/call_method/heart_beat", HEART_BEAT))
    reply = b""
    while not reply.endswith(b'"result":0}'):
        chunk = s.recv(4096)
        if not chunk:
            break
        reply += chunk
    elapsed = time.perf_counter() - begin
    s.close()
    return elapsed * 1e6, reply.endswith(b'"result":0}')


def crowd(port, pid):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    idle = [socket.create_connection(("127.0.0.1", port)) for _ in range(1000)]
    slow = [socket.create_connection(("127.0.0.1", port)) for _ in range(200)]
    stop = threading.Event()
    request = b"POST /api/call_method/heart_beat HTTP/1.1\r\nHost: h\r\n"

    def trickle():
        for byte in request:
            for s in slow:
                try:
                    s.send(bytes([byte]))
                except OSError:
                    pass
            if stop.wait(1.0):
                return

    thread = threading.Thread(target=trickle)
    thread.start()
    time.sleep(1.0)
    times, served = [], 0
    for _ in range(50):
        us, ok = heart_beat_us(port)
        times.append(us)
        served += ok
        time.sleep(0.02)
    stop.set()
    thread.join()
    for s in idle + slow:
        s.close()
    times.sort()
    print(f"HOSTILE crowd_served={served}/50 median_us={times[25]:.0f} max_us={times[-1]:.0f} "
          f"rss_kib={rss_kib(pid)}")


if __name__ == "__main__":
    port, pid = int(sys.argv[1]), int(sys.argv[2])
    if sys.argv[3] == "crowd":
        crowd(port, pid)
    else:
        hostile(port, pid, int(sys.argv[3]))
