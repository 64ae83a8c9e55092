# Shared by scripts/bench and scripts/bench-windows (sourced): the benchmark
# server and the restoring of an installation between timed runs. They use
# $work (the run's temporary folder) and $serve_program (bench_http_serve).

server_pid=
serve() {  # <file> [name]: starts our server on it, sets $url to the file's address
  [ -n "$server_pid" ] && kill "$server_pid" && wait "$server_pid" 2>/dev/null || true
  "$serve_program" "$1" >"$work/port" &
  server_pid=$!
  for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
  url="http://127.0.0.1:$(cat "$work/port")/${2:-body}"
}
stop_server() {
  [ -n "$server_pid" ] && kill "$server_pid" && wait "$server_pid" 2>/dev/null || true
  server_pid=
}

# The command that puts the installation <installed> back in <program>. The
# main application restarted by the previous run may still be writing its
# record while the folder is removed: it is removed again until it is gone.
restore_command() {  # <installed> <program>
  printf '%s' "{ for _ in \$(seq 100); do rm -rf '$2' 2>/dev/null && break; sleep 0.1; done; \
[ ! -e '$2' ] && cp -a '$1' '$2' && sync; } 2>>'$work/restore.err'"
}
