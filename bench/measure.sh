# Sourced by the benchmark scripts: measure FILE text|render prints
# "SECONDS PEAK_MB" for one page shown by $zefweb, the least processor time
# (user and system) and the largest peak resident size of $repeat runs. It
# writes its scratch files into $pages.
measure() {
  file=$1 command=$2 best="" peak=0
  for _ in $(seq "$repeat"); do
    if [ "$command" = text ]; then
      /usr/bin/time -f '%U %S %M' -o "$pages/time.txt" "$zefweb" --text "$file" >/dev/null 2>&1
    else
      /usr/bin/time -f '%U %S %M' -o "$pages/time.txt" "$zefweb" --render "$file" --output "$pages/out.png" >/dev/null 2>&1
    fi
    read -r user system kilobytes <"$pages/time.txt"
    seconds=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
    best=$(awk -v a="$best" -v b="$seconds" 'BEGIN { print (a == "" || b < a) ? b : a }')
    peak=$(awk -v a="$peak" -v b="$kilobytes" 'BEGIN { print (b > a) ? b : a }')
  done
  awk -v s="$best" -v k="$peak" 'BEGIN { printf "%s %.1f\n", s, k / 1024 }'
}
